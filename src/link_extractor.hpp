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
// its anchor line to output. Write errors are left in output's error indicator.
[[nodiscard]] ExtractResult convert_line(const char *line, std::FILE *output);
