// Opening the output without losing a file the user meant to keep.
#pragma once

#include <cstdint>
#include <cstdio>

// What became of the output.
enum class OutputResult : std::uint8_t {
	opened,          // open for writing from its start, and emptied if it is a regular file
	cannot_open,     // it cannot be opened, or not be looked at or read to be sure of it
	is_input,        // it is the input's own file
	holds_link_list  // it holds a list or a page of the user's, not an earlier output
};

// Open the file at path as the output of a run whose input, opened at
// input_path, is input. An existing file is emptied or written over only
// when hrefgen is sure that it holds nothing the user meant to keep: it is
// not the input, seen through whatever name or view, and its start holds no
// line with "://" but anchor lines. Whenever that cannot be told, it is
// refused, and a refusal changes nothing. On success *output is the stream.
[[nodiscard]] OutputResult open_output(const char *path, std::FILE *input, const char *input_path,
                                       std::FILE **output);
