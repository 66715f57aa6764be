// Cutting one link out of one line of a link list and writing its anchor line.
#pragma once

#include <cstdint>
#include <cstdio>

// What became of one line handed to convert_line.
enum class ExtractResult : std::uint8_t {
	ok,            // zero or one anchor line was written
	out_of_memory  // the href or text buffer could not be allocated; nothing was written
};

// If line, a NUL-terminated piece of the input as read, holds a link, write
// its anchor line <a href="HREF">TEXT</a> and a newline to output. A NUL byte
// ends the line early. The href runs from the line's first "http://" up to
// the first space after it (a tab does not end it), or to the line's end; the
// spaces after it are skipped, and the text runs from there up to the line's
// newline, or to its end when it has none, so a line without a space after
// the href has an empty text. Nothing is escaped: the list is trusted HTML.
// Write errors are left in output's error indicator.
[[nodiscard]] ExtractResult convert_line(const char *line, std::FILE *output);
