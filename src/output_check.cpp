// Opening the output without losing a file the user meant to keep.
//
// An existing output is looked at through an open for reading before it is
// opened for writing (which on an overlay would copy it up), and refused when
// it may be the input or may hold the user's links:
// - it is the input when the system says so (the same device and inode, file
//   ID on Windows), or when neither is empty and their bytes agree as far as
//   both go: a second view of the list (an overlay, FUSE, a loop device) that
//   the system shows as another file;
// - it holds the user's links when its first MiB has a line with "://" that
//   is not an anchor line;
// - a look or a read that fails leaves nothing known, and is a refusal too.
// Once opened for writing, it must still be the file looked at.
#include "output_check.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "stream_io.hpp"

namespace {

// The bytes are compared a chunk at a time, and the first MiB of the output
// is looked at: thousands of lines, read in well under a millisecond.
constexpr std::size_t chunk_size = std::size_t{1} << 16;
constexpr std::size_t look_size = std::size_t{1} << 20;
static_assert(look_size % chunk_size == 0, "the look ends where a chunk does");
char output_start[look_size];
char output_chunk[chunk_size];
char input_chunk[chunk_size];

// What every anchor line begins with.
constexpr std::string_view anchor_start = "<a href=\"http://";

// Read up to size bytes into bytes, their count in count; false when a read fails.
[[nodiscard]] bool read_up_to(std::FILE *reader, char *bytes, std::size_t size, std::size_t &count)
{
	count = std::fread(bytes, 1, size, reader);
	return std::ferror(reader) == 0;
}

enum class Sameness : std::uint8_t { different, same, unknown };

// Compare the output, whose first start_length bytes are in output_start
// (all of it when fewer than look_size) and whose reader stands after them,
// with the input's bytes from its start: the same when neither is empty and
// they agree as far as both go. Unknown when a read fails, which is never
// taken for a difference.
[[nodiscard]] Sameness compare(std::size_t start_length, std::FILE *output_reader,
                               std::FILE *input_reader)
{
	for (std::size_t offset = 0;;) {
		const char *output_bytes = output_chunk;
		std::size_t output_count = 0;
		if (offset < start_length) {
			output_bytes = output_start + offset;
			output_count = std::min(chunk_size, start_length - offset);
		} else if (start_length == look_size &&
		           !read_up_to(output_reader, output_chunk, chunk_size, output_count)) {
			return Sameness::unknown;
		}
		std::size_t input_count = 0;
		if (!read_up_to(input_reader, input_chunk, chunk_size, input_count))
			return Sameness::unknown;
		const std::size_t common = std::min(output_count, input_count);
		if (common == 0)
			return offset > 0 ? Sameness::same : Sameness::different;
		if (std::memcmp(output_bytes, input_chunk, common) != 0)
			return Sameness::different;
		// A chunk comes short only at the end of its file.
		if (common < chunk_size)
			return Sameness::same;
		offset += common;
	}
}

// Tell whether the start of a file holds a line with "://" that is not an
// anchor line, or "://" in UTF-16, which no anchor line holds: a link list or
// a page of the user's, in any scheme.
[[nodiscard]] bool holds_link_list(std::string_view start)
{
	if (start.find(std::string_view(":\0/\0/", 5)) != std::string_view::npos)
		return true;
	for (std::size_t at = start.find("://"); at != std::string_view::npos;
	     at = start.find("://", at)) {
		// npos + 1 is 0: the first line begins the file.
		const std::size_t line = start.rfind('\n', at) + 1;
		if (!std::string_view(start.data() + line, start.size() - line)
		             .starts_with(anchor_start))
			return true;
		at = start.find('\n', at);
	}
	return false;
}

// Judge the output's file, which looked reads from its start, against the
// input, before anything in it may change.
[[nodiscard]] OutputResult judge(std::FILE *looked, std::FILE *input, const char *input_path)
{
	if (is_same_file(looked, input))
		return OutputResult::is_input;
	std::size_t start_length = 0;
	if (!read_up_to(looked, output_start, look_size, start_length))
		return OutputResult::cannot_open;
	std::FILE *input_reader = nullptr;
	switch (look_again(input, input_path, &input_reader)) {
	case Found::stream:
		// A pipe or a terminal: no file of the user's to be seen twice.
		break;
	case Found::bytes: {
		const Sameness sameness = compare(start_length, looked, input_reader);
		(void)std::fclose(input_reader);
		if (sameness == Sameness::unknown)
			return OutputResult::cannot_open;
		if (sameness == Sameness::same)
			return OutputResult::is_input;
		break;
	}
	case Found::nothing:
	case Found::unreadable:
		return OutputResult::cannot_open;
	}
	return holds_link_list({output_start, start_length}) ? OutputResult::holds_link_list
	                                                     : OutputResult::opened;
}

// Tell whether output, just opened for writing, is still what the look found
// at its name: the file looked at, or, where the look found no file that holds
// bytes, none such either, and not the input (a FIFO or a pipe).
[[nodiscard]] OutputResult check_opened(Found found, std::FILE *output, std::FILE *looked,
                                        std::FILE *input)
{
	if (found == Found::bytes)
		return is_same_file(output, looked) ? OutputResult::opened
		                                    : OutputResult::cannot_open;
	if (holds_bytes(output))
		return OutputResult::cannot_open;
	return is_same_file(output, input) ? OutputResult::is_input : OutputResult::opened;
}

}  // namespace

OutputResult open_output(const char *path, std::FILE *input, const char *input_path,
                         std::FILE **output)
{
	std::FILE *looked = nullptr;
	const Found found = look_at(path, &looked);
	if (found == Found::unreadable)
		return OutputResult::cannot_open;
	if (found == Found::bytes) {
		const OutputResult verdict = judge(looked, input, input_path);
		if (verdict != OutputResult::opened)
			return verdict;
	}
	*output = open_for_writing(path);
	if (*output == nullptr)
		return OutputResult::cannot_open;
	const OutputResult result = check_opened(found, *output, looked, input);
	if (result != OutputResult::opened)
		return result;
	if (looked != nullptr)
		(void)std::fclose(looked);
	// Standard output's own file, readied by whoever opened it (the shell's >
	// empties it, >> appends), is written through standard output, so that the
	// anchor lines and the messages follow one another instead of overwriting
	// each other.
	if (!is_standard_output(*output))
		return make_empty(*output) ? OutputResult::opened : OutputResult::cannot_open;
	(void)std::fclose(*output);
	*output = share_standard_output();
	return *output != nullptr ? OutputResult::opened : OutputResult::cannot_open;
}
