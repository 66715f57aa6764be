// Cutting one link out of one line of a link list and writing its anchor line.
#pragma once

#include <cstddef>
#include <cstdio>

// What became of one line handed to process_line.
enum class ExtractResult {
	ok,            // zero or one anchor line was written
	out_of_memory  // the href or text buffer could not be allocated; nothing was written
};

// If the line holds "http://", write its anchor line to output. The line is as
// read: length bytes, of which only the last can be a newline, followed by a
// NUL byte; a NUL byte inside it ends it. Write errors are left in output's
// error indicator for the caller to check.
[[nodiscard]] ExtractResult process_line(const char *line, std::size_t length, std::FILE *output);
