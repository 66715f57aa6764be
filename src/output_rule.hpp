// Opening the output without losing a file the user meant to keep, and
// closing it: the rules of the manual page's "The output".
#pragma once

#include <cstdint>
#include <cstdio>

// What became of the output.
enum class OutputResult : std::uint8_t {
	opened,             // ready for the purpose, emptied if it was a file
	cannot_open,        // it cannot be opened, looked at or read to be sure of
	                    // it, it changed meanwhile, or it would be written
	                    // anywhere but from its start or at its end
	is_input,           // it is the input's own file
	not_earlier_output  // it holds something hrefgen does not write
};

// What the run does with the output.
enum class Purpose : std::uint8_t {
	convert,  // write the anchor lines into it
	look      // only look at it, as for a conversion, changing and creating nothing
};

// Open the file at path as the output of a run whose input, opened at
// input_path, is input. An existing file is emptied and rewritten only when
// the whole of it is what hrefgen writes, and is not the input seen through
// whatever name or view; standard output's own file is written through
// standard output, at its end. Whenever that cannot be told, it is refused,
// and a refusal changes and creates nothing. On success *output is the
// stream, or nullptr for Purpose::look.
[[nodiscard]] OutputResult open_output(const char *path, std::FILE *input, const char *input_path,
                                       Purpose purpose, std::FILE **output);

// What became of the output at its close.
enum class Closing : std::uint8_t {
	closed,  // all of it written, and its name still leads to it
	failed   // a write failed, or its name no longer leads to it or cannot be
	         // told to
};

// Close output, which open_output opened at path for Purpose::convert.
[[nodiscard]] Closing close_output(const char *path, std::FILE *output);
