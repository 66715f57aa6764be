// Opening the output without losing a file the user meant to keep.
#pragma once

#include <cstdint>
#include <cstdio>

// What became of the output.
enum class OutputResult : std::uint8_t {
	opened,             // open for writing from its start, emptied if it was a file
	cannot_open,        // it cannot be opened, looked at or read to be sure of it,
	                    // or it changed meanwhile
	is_input,           // it is the input's own file
	not_earlier_output  // it holds something hrefgen does not write
};

// Open the file at path as the output of a run whose input, opened at
// input_path, is input. An existing file is emptied and rewritten only when
// it holds nothing but what hrefgen writes, and is not the input seen
// through whatever name or view; standard output's own file is written
// through standard output, as the shell left it. Whenever that cannot be
// told, it is refused, and a refusal changes and creates nothing. On success
// *output is the stream.
[[nodiscard]] OutputResult open_output(const char *path, std::FILE *input, const char *input_path,
                                       std::FILE **output);
