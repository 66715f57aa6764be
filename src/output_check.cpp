// Opening the output without losing a file the user meant to keep.
//
// The rule: an existing output is emptied and rewritten only when it holds
// nothing but what hrefgen writes. Before anything is written, the output is
// looked at: opened for reading only (which copies nothing up on an overlay)
// and its first MiB read. It is refused when
// - it is the input: the same name twice, the same file as the system says
//   (device and inode, file ID on Windows), or, neither empty, bytes that
//   agree as far as both go: a second view of the list (an overlay, FUSE, a
//   loop device) that the system shows as another file;
// - its first MiB holds anything but anchor lines, blank lines and NUL bytes;
// - anything cannot be told: a look or a read that fails, a file that
//   appears, goes or changes between the look and the emptying.
// Standard output's own file is not emptied but written through standard
// output, as the shell's > or >> left it; a terminal or another character
// device, a FIFO or a pipe holds nothing to lose and is written as it is.
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

// Compare the output, whose first start_length bytes are in output_start
// (all of it when fewer than look_size) and whose reader stands after them,
// with the input's bytes from its start: the same when neither is empty and
// they agree as far as both go. Unknown when a read fails, which is never
// taken for a difference.
[[nodiscard]] Answer compare(std::size_t start_length, std::FILE *output_reader,
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
			return Answer::unknown;
		}
		std::size_t input_count = 0;
		if (!read_up_to(input_reader, input_chunk, chunk_size, input_count))
			return Answer::unknown;
		const std::size_t common = std::min(output_count, input_count);
		if (common == 0)
			return offset > 0 ? Answer::yes : Answer::no;
		if (std::memcmp(output_bytes, input_chunk, common) != 0)
			return Answer::no;
		// A chunk comes short only at the end of its file.
		if (common < chunk_size)
			return Answer::yes;
		offset += common;
	}
}

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
constexpr std::string_view anchor_end = "</a>";
constexpr std::string_view blank_bytes{" \t\r\v\f\0", 6};

// Tell whether line holds no CR and no NUL byte, each looked for with memchr.
[[nodiscard]] bool holds_no_cr_or_nul(std::string_view line)
{
	return line.find('\r') == std::string_view::npos &&
	       line.find('\0') == std::string_view::npos;
}

// Tell whether line, its LF taken off, is an anchor line as hrefgen writes it,
// ended by LF or CR LF. Its text may end in CR, as a CR LF list read on POSIX
// leaves it; a CR anywhere else ends a line of a list with CR line ends.
[[nodiscard]] bool is_anchor_line(std::string_view line)
{
	if (line.ends_with('\r'))
		line.remove_suffix(1);
	if (!line.starts_with(anchor_start) || !line.ends_with(anchor_end))
		return false;
	line.remove_suffix(anchor_end.size());
	if (line.ends_with('\r'))
		line.remove_suffix(1);
	return holds_no_cr_or_nul(line);
}

// Tell whether line, the last one and without its LF, is the start of an
// anchor line, cut short by the end of the file or of the look.
[[nodiscard]] bool is_anchor_line_start(std::string_view line)
{
	if (line.ends_with('\r'))
		line.remove_suffix(1);
	if (line.size() < anchor_start.size())
		return anchor_start.starts_with(line);
	return line.starts_with(anchor_start) && holds_no_cr_or_nul(line);
}

// Tell whether the start of a file holds nothing but what hrefgen writes:
// after an optional UTF-8 byte order mark, anchor lines, lines of white
// space only, and NUL bytes.
[[nodiscard]] bool is_earlier_output(std::string_view start)
{
	if (start.starts_with(byte_order_mark))
		start.remove_prefix(byte_order_mark.size());
	while (!start.empty()) {
		const std::size_t end = start.find('\n');
		const std::string_view line = start.substr(0, end);
		const bool blank = line.find_first_not_of(blank_bytes) == std::string_view::npos;
		if (!blank && !(end == std::string_view::npos ? is_anchor_line_start(line)
		                                              : is_anchor_line(line)))
			return false;
		if (end == std::string_view::npos)
			break;
		start.remove_prefix(end + 1);
	}
	return true;
}

// What the answer to "is the output the input?" makes of the output: a
// refusal unless the answer is no.
[[nodiscard]] OutputResult as_input(Answer same)
{
	switch (same) {
	case Answer::yes:
		return OutputResult::is_input;
	case Answer::unknown:
		return OutputResult::cannot_open;
	case Answer::no:
		break;
	}
	return OutputResult::opened;
}

// Judge the output's file, which looked reads from its start, against the
// input: is_input, cannot_open, or opened when it is not the input, its
// first MiB then in output_start, its length in start_length.
[[nodiscard]] OutputResult judge(std::FILE *looked, std::FILE *input, const char *input_path,
                                 std::size_t &start_length)
{
	const OutputResult verdict = as_input(is_same_file(looked, input));
	if (verdict != OutputResult::opened)
		return verdict;
	if (!read_up_to(looked, output_start, look_size, start_length))
		return OutputResult::cannot_open;
	std::FILE *input_reader = nullptr;
	switch (look_again(input, input_path, &input_reader)) {
	case Again::stream:
		// A pipe or a terminal: no file of the user's to be seen twice.
		return OutputResult::opened;
	case Again::bytes:
		break;
	case Again::gone:
	case Again::elsewhere:
	case Again::unreadable:
		return OutputResult::cannot_open;
	}
	const Answer same = compare(start_length, looked, input_reader);
	(void)std::fclose(input_reader);
	return as_input(same);
}

// Tell whether two looks at a file saw it the same.
[[nodiscard]] bool unchanged(const FileState &before, const FileState &after)
{
	return before.size == after.size && before.modified == after.modified;
}

// Create the output, where the look found nothing: a file that appears
// meanwhile is never emptied unseen.
[[nodiscard]] OutputResult create_output(const char *path, std::FILE **output)
{
	*output = open_for_writing(path, Opening::create);
	return *output != nullptr ? OutputResult::opened : OutputResult::cannot_open;
}

// Open a terminal, another character device, a FIFO or a pipe, which holds
// nothing to lose: refused only when it is the input itself, a FIFO or a
// pipe that would wait for its own output, or when the name has come to
// lead to a file that holds bytes meanwhile.
[[nodiscard]] OutputResult open_stream(const char *path, std::FILE *input, std::FILE **output)
{
	*output = open_for_writing(path, Opening::existing);
	if (*output == nullptr)
		return OutputResult::cannot_open;
	OutputResult result = OutputResult::opened;
	if (holds_bytes(*output) != Answer::no)
		result = OutputResult::cannot_open;
	else if (is_same_file(*output, input) == Answer::yes &&
	         is_character_device(*output) != Answer::yes)
		result = OutputResult::is_input;
	if (result != OutputResult::opened)
		(void)std::fclose(*output);
	return result;
}

// Empty the output, just opened for writing on the file looked at, when it
// is still as the look saw it; and make sure it was.
[[nodiscard]] bool empty_unchanged(std::FILE *output, const FileState &seen)
{
	FileState now{};
	return get_state(output, now) && unchanged(seen, now) && make_empty(output) &&
	       get_state(output, now) && now.size == 0;
}

// Open the output's file, which holds bytes and which looked reads from its
// start, for writing, emptied: when it is none of the input, standard
// output's own file or a view of it, and holds nothing but what hrefgen
// writes. Once the file is open for writing, looked is closed and nullptr.
[[nodiscard]] OutputResult replace_output(const char *path, Found found, std::FILE *&looked,
                                          std::FILE *input, const char *input_path,
                                          std::FILE **output)
{
	// A device that holds a mounted file system is never written.
	FileState seen{};
	if ((found == Found::device && is_held(path, looked) != Answer::no) ||
	    !get_state(looked, seen))
		return OutputResult::cannot_open;
	std::size_t start_length = 0;
	const OutputResult verdict = judge(looked, input, input_path, start_length);
	if (verdict != OutputResult::opened)
		return verdict;
	// Standard output's own file, readied by whoever opened it (the shell's >
	// empties it, >> appends), is written through standard output, so that the
	// anchor lines and the messages follow one another instead of overwriting
	// each other, and whatever it held before stays.
	switch (is_standard_output(looked)) {
	case Answer::yes:
		*output = share_standard_output();
		return *output != nullptr ? OutputResult::opened : OutputResult::cannot_open;
	case Answer::unknown:
		return OutputResult::cannot_open;
	case Answer::no:
		break;
	}
	if (resembles_standard_output(looked) != Answer::no)
		return OutputResult::cannot_open;
	if (!is_earlier_output({output_start, start_length}))
		return OutputResult::not_earlier_output;
	*output = open_for_writing(path,
	                           found == Found::device ? Opening::exclusive : Opening::existing);
	if (*output == nullptr)
		return OutputResult::cannot_open;
	const bool same = is_same_file(*output, looked) == Answer::yes;
	// The look is closed before the emptying, as no other open of the file
	// is left then: ext4 writes a file emptied and rewritten out at its close.
	(void)std::fclose(looked);
	looked = nullptr;
	// A device is written from its start; a file is emptied first.
	if (same && (found == Found::device || empty_unchanged(*output, seen)))
		return OutputResult::opened;
	(void)std::fclose(*output);
	return OutputResult::cannot_open;
}

}  // namespace

OutputResult open_output(const char *path, std::FILE *input, const char *input_path,
                         std::FILE **output)
{
	// The same name twice is one file, whatever becomes of the name meanwhile;
	// only a terminal or another character device may be read and written at once.
	if (std::strcmp(input_path, path) == 0 && is_character_device(input) != Answer::yes)
		return OutputResult::is_input;
	std::FILE *looked = nullptr;
	const Found found = look_at(path, &looked);
	switch (found) {
	case Found::nothing:
		return create_output(path, output);
	case Found::stream:
		return open_stream(path, input, output);
	case Found::unreadable:
		return OutputResult::cannot_open;
	case Found::file:
	case Found::device:
		break;
	}
	const OutputResult result = replace_output(path, found, looked, input, input_path, output);
	if (looked != nullptr)
		(void)std::fclose(looked);
	return result;
}
