// Opening the output without losing a file the user meant to keep, and
// closing it, by the rules that the manual page's "The output" states, in
// its order: open_output holds the first, and each function it calls one or
// two more. Whatever cannot be told is a refusal, and a refusal changes and
// creates nothing.
#include "output_rule.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "file_calls.hpp"
#include "messages.hpp"

namespace {

// The output and the input are read a chunk at a time.
constexpr std::size_t chunk_size = std::size_t{1} << 16;
char output_chunk[chunk_size];
char input_chunk[chunk_size];

// Read up to size bytes into bytes, their count in count; false when a read fails.
[[nodiscard]] bool read_up_to(std::FILE *reader, char *bytes, std::size_t size, std::size_t &count)
{
	count = std::fread(bytes, 1, size, reader);
	return std::ferror(reader) == 0;
}

// The lines hrefgen writes.
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
constexpr std::string_view anchor_start = "<a href=\"http://";
constexpr std::string_view anchor_end = "</a>";
constexpr std::string_view anchor_end_cr = "</a>\r";

// A message line can be no longer than a message with the longest name that
// a system passes as an argument (128 KiB on Linux, 32 Ki UTF-16 units on
// Windows) filled in.
constexpr std::size_t message_size = std::size_t{1} << 18;
char message_line[message_size];

// What the line in progress of the look can still be.
enum class Part : std::uint8_t {
	start,       // nothing of it is seen yet
	prefix,      // an anchor line: in its <a href="http://
	href,        // in its address
	text_start,  // just after the "> that ends the address
	text,        // in its text, which ends with </a>
	blank,       // white space and NUL bytes only
	message,     // one of hrefgen's messages, held in message_line
	refused      // nothing that hrefgen writes
};

// The line in progress of the look, which may go on from chunk to chunk.
struct Line
{
	Part part;
	bool quote;             // the address seen so far ends with "
	bool cr;                // a CR is in what of it ended a chunk
	std::size_t length;     // the count of its bytes seen so far
	std::size_t text_from;  // where its text starts
	char end[8];            // its last bytes where a chunk ended
};

// The bytes of the blank lines hrefgen's look takes as its own: white space and NUL.
[[nodiscard]] bool is_blank(char c)
{
	return c == ' ' || c == '\0' || (c >= '\t' && c <= '\r' && c != '\n');
}

// Find the first quote or space from p up to end; end where there is none.
// Eight bytes are looked at a time: a byte of the word that is either, which
// ORed with 2 is a quote, has its high bit set in hits, and only bytes after
// the first such byte may have theirs set falsely; so the lowest bit set is
// exact where the word's first byte is its lowest. Other machines look a
// byte at a time.
[[nodiscard]] const char *find_quote_or_space(const char *p, const char *end)
{
	static_assert((' ' | 2) == '"');
	constexpr std::uint64_t ones = 0x0101010101010101;
	if constexpr (std::endian::native == std::endian::little) {
		for (; end - p >= 8; p += 8) {
			std::uint64_t word = 0;
			std::memcpy(&word, p, sizeof word);
			const std::uint64_t zeroed = (word | (ones * 2)) ^ (ones * '"');
			const std::uint64_t hits = (zeroed - ones) & ~zeroed & (ones << 7);
			if (hits != 0)
				return p + (std::countr_zero(hits) / 8);
		}
	}
	while (p != end && (*p | 2) != '"')
		++p;
	return p;
}

// Take the bytes from p of an anchor line's address, up to end: false when
// they end before its "> does, or the line is refused; else p is after it.
[[nodiscard]] bool take_href(Line &line, const char *&p, const char *end, bool may_hold_nul)
{
	// The address runs to the first ">, and holds no space and no NUL.
	if (line.quote) {
		line.quote = false;
		if (*p == '>') {
			++p;
			return true;
		}
	}
	for (;;) {
		const char *stop = find_quote_or_space(p, end);
		if ((stop != end && *stop == ' ') ||
		    (may_hold_nul &&
		     std::memchr(p, '\0', static_cast<std::size_t>(stop - p)) != nullptr)) {
			line.part = Part::refused;
			return false;
		}
		if (stop == end)
			return false;
		p = stop + 1;
		if (p == end) {
			line.quote = true;
			return false;
		}
		if (*p == '>') {
			++p;
			return true;
		}
	}
}

// Take the bytes from start to end of the line, which one chunk holds, no LF
// among them; may_hold_nul is false when the chunk holds none.
void take(Line &line, const char *start, const char *end, bool may_hold_nul)
{
	if (start == end)
		return;
	const std::size_t before = line.length;
	line.length += static_cast<std::size_t>(end - start);
	const char *p = start;
	if (line.part == Part::start && *p == '<')
		line.part = Part::prefix;
	else if (line.part == Part::start)
		line.part = is_blank(*p) ? Part::blank : Part::message;
	switch (line.part) {
	case Part::start:
	case Part::refused:
		return;
	case Part::blank:
		if (!std::all_of(start, end, is_blank))
			line.part = Part::refused;
		return;
	case Part::message:
		// A name holds no NUL byte.
		if (line.length > message_size ||
		    (may_hold_nul && std::memchr(start, '\0', line.length - before) != nullptr))
			line.part = Part::refused;
		else
			std::memcpy(message_line + before, start, line.length - before);
		return;
	case Part::prefix: {
		const std::size_t count =
		        std::min(anchor_start.size() - before, static_cast<std::size_t>(end - p));
		// The whole of it, which most lines hold, is compared in a few instructions.
		if (count == anchor_start.size()
		            ? std::memcmp(p, anchor_start.data(), anchor_start.size()) != 0
		            : std::memcmp(p, anchor_start.data() + before, count) != 0) {
			line.part = Part::refused;
			return;
		}
		p += count;
		if (before + count < anchor_start.size())
			return;
		line.part = Part::href;
		[[fallthrough]];
	}
	case Part::href:
		if (!take_href(line, p, end, may_hold_nul))
			return;
		line.part = Part::text_start;
		[[fallthrough]];
	case Part::text_start:
		if (p == end)
			return;
		// The text does not begin with a space.
		if (*p == ' ') {
			line.part = Part::refused;
			return;
		}
		line.part = Part::text;
		line.text_from = before + static_cast<std::size_t>(p - start);
		[[fallthrough]];
	case Part::text:
		if (may_hold_nul &&
		    std::memchr(p, '\0', static_cast<std::size_t>(end - p)) != nullptr)
			line.part = Part::refused;
		return;
	}
}

// Keep the last bytes of the line, whose bytes in this chunk are last, for its end.
void keep_end(Line &line, std::string_view last)
{
	constexpr std::size_t size = sizeof line.end;
	if (last.size() >= size) {
		std::memcpy(line.end, last.data() + last.size() - size, size);
	} else {
		std::memmove(line.end, line.end + last.size(), size - last.size());
		std::memcpy(line.end + size - last.size(), last.data(), last.size());
	}
}

// Tell whether the anchor line, of which last is the end, ends its text with
// </a>, before the CR of a CR LF.
[[nodiscard]] bool ends_anchor(const Line &line, std::string_view last)
{
	const std::size_t text = line.length - line.text_from;
	// Most lines end in the chunk they begin in: compared in a few instructions.
	if (last.size() >= anchor_end_cr.size()) {
		const char *end = last.data() + last.size();
		return (text >= anchor_end.size() &&
		        std::memcmp(end - anchor_end.size(), anchor_end.data(),
		                    anchor_end.size()) == 0) ||
		       (text >= anchor_end_cr.size() &&
		        std::memcmp(end - anchor_end_cr.size(), anchor_end_cr.data(),
		                    anchor_end_cr.size()) == 0);
	}
	// The line's end began in the chunk before.
	char bytes[sizeof line.end + anchor_end_cr.size()];
	std::memcpy(bytes, line.end, sizeof line.end);
	std::memcpy(bytes + sizeof line.end, last.data(), last.size());
	const std::string_view end{bytes, sizeof line.end + last.size()};
	return (text >= anchor_end.size() && end.ends_with(anchor_end)) ||
	       (text >= anchor_end_cr.size() && end.ends_with(anchor_end_cr));
}

// Tell whether line is format with its conversions filled in: %s by any
// bytes, %lld by decimal digits; any other conversion is none of hrefgen's.
// (substr, which may throw, would need the C++ library at run time.)
[[nodiscard]] bool is_filled_in(std::string_view line, std::string_view format)
{
	const std::size_t conversion = std::min(format.find('%'), format.size());
	std::string_view literal = format;
	literal.remove_suffix(format.size() - conversion);
	if (!line.starts_with(literal))
		return false;
	if (conversion == format.size())
		return line.size() == format.size();
	line.remove_prefix(conversion);
	format.remove_prefix(conversion);
	if (format.starts_with("%s")) {
		format.remove_prefix(2);
		for (;; line.remove_prefix(1)) {
			if (is_filled_in(line, format))
				return true;
			if (line.empty())
				return false;
		}
	}
	constexpr std::string_view number = "%lld";
	if (!format.starts_with(number))
		return false;
	format.remove_prefix(number.size());
	const std::size_t digits = std::min(line.find_first_not_of("0123456789"), line.size());
	line.remove_prefix(digits);
	return digits > 0 && is_filled_in(line, format);
}

// Tell whether line, without its LF or CR LF, is one of hrefgen's messages.
[[nodiscard]] bool is_message(std::string_view line)
{
	if (line.ends_with('\r'))
		line.remove_suffix(1);
	return std::any_of(std::begin(message::every), std::end(message::every),
	                   [line](std::string_view format) {
		                   format.remove_suffix(1);  // its newline
		                   return is_filled_in(line, format);
	                   });
}

// Tell whether the line, of which last is the end, is one that hrefgen writes, ended by its LF.
[[nodiscard]] bool ends_well(const Line &line, std::string_view last)
{
	switch (line.part) {
	case Part::start:
	case Part::blank:
		return true;
	case Part::text:
		return ends_anchor(line, last);
	case Part::message:
		return is_message({message_line, line.length});
	case Part::prefix:
	case Part::href:
	case Part::text_start:
	case Part::refused:
		break;
	}
	return false;
}

// Tell whether the line, the last and without an LF, is one that hrefgen
// writes: the start of an anchor line cut short, as a full disk leaves it,
// with no CR (which would end the lines of a list with CR line ends), or blank.
[[nodiscard]] bool ends_file_well(const Line &line)
{
	switch (line.part) {
	case Part::start:
	case Part::blank:
		return true;
	case Part::prefix:
	case Part::href:
	case Part::text_start:
	case Part::text:
		return !line.cr;
	case Part::message:
	case Part::refused:
		break;
	}
	return false;
}

// Take a chunk of the output, whose lines go on from line: false once a line
// is none that hrefgen writes.
[[nodiscard]] bool take_chunk(Line &line, std::string_view chunk)
{
	const bool may_hold_nul = std::memchr(chunk.data(), '\0', chunk.size()) != nullptr;
	const char *p = chunk.data();
	const char *end = p + chunk.size();
	for (const char *newline = nullptr;
	     (newline = static_cast<const char *>(
	              std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr;
	     p = newline + 1) {
		take(line, p, newline, may_hold_nul);
		if (!ends_well(line, {p, static_cast<std::size_t>(newline - p)}))
			return false;
		line = Line{};
	}
	take(line, p, end, may_hold_nul);
	const std::string_view last{p, static_cast<std::size_t>(end - p)};
	keep_end(line, last);
	line.cr = line.cr || last.find('\r') != std::string_view::npos;
	return line.part != Part::refused;
}

// Tell whether a chunk holds NUL bytes only.
[[nodiscard]] bool is_zeroed(std::string_view chunk)
{
	return !chunk.empty() && chunk[0] == '\0' &&
	       std::memcmp(chunk.data(), chunk.data() + 1, chunk.size() - 1) == 0;
}

// What a look through the output found.
enum class Seen : std::uint8_t {
	earlier_output,  // not the input, and every line looked at is one that hrefgen writes
	input,           // the input's bytes, as far as both go
	other,           // a line that hrefgen does not write
	unknown          // a read failed
};

// Read the output's file through looked from its start, and compare it with
// the input's, which input_reader reads from its start (nullptr: none to
// compare). With lines, check every line of it too; a hole of a sparse file,
// NUL bytes, is skipped once the comparison is over.
[[nodiscard]] Seen look_through(std::FILE *looked, std::FILE *input_reader, bool lines)
{
	Line line{};
	bool comparing = input_reader != nullptr;
	bool agreed = false;
	bool refused = false;
	for (bool first = true; comparing || (lines && !refused); first = false) {
		std::size_t count = 0;
		if (!read_up_to(looked, output_chunk, chunk_size, count))
			return Seen::unknown;
		if (comparing) {
			// A chunk comes short only at the end of its file.
			std::size_t input_count = 0;
			if (!read_up_to(input_reader, input_chunk, chunk_size, input_count))
				return Seen::unknown;
			const std::size_t common = std::min(count, input_count);
			comparing =
			        common != 0 && std::memcmp(output_chunk, input_chunk, common) == 0;
			if ((comparing && common < chunk_size) || (common == 0 && agreed))
				return Seen::input;
			agreed = comparing;
		}
		if (count == 0)
			break;
		std::string_view chunk{output_chunk, count};
		if (!lines || refused)
			continue;
		if (is_zeroed(chunk)) {
			line.part = line.part == Part::start ? Part::blank : line.part;
			refused = line.part != Part::blank;
			if (!refused && !comparing && !skip_hole(looked))
				return Seen::unknown;
		} else {
			if (first && chunk.starts_with(byte_order_mark))
				chunk.remove_prefix(byte_order_mark.size());
			refused = !take_chunk(line, chunk);
		}
	}
	return refused || (lines && !ends_file_well(line)) ? Seen::other : Seen::earlier_output;
}

// What the look makes of the output.
[[nodiscard]] OutputResult verdict_on(Seen seen)
{
	switch (seen) {
	case Seen::earlier_output:
		break;
	case Seen::input:
		return OutputResult::is_input;
	case Seen::other:
		return OutputResult::not_earlier_output;
	case Seen::unknown:
		return OutputResult::cannot_open;
	}
	return OutputResult::opened;
}

// What the system's answer to "is the output the input's file?" makes of
// the output: a refusal unless the answer is no.
[[nodiscard]] OutputResult verdict_on(Answer same)
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

// Tell whether two looks at a file saw it the same.
[[nodiscard]] bool unchanged(const FileState &before, const FileState &after)
{
	return before.size == after.size && before.modified == after.modified;
}

// Create the output, where the look found nothing: a file that appears
// meanwhile is never emptied unseen.
[[nodiscard]] OutputResult create_output(const char *path, Purpose purpose, std::FILE **output)
{
	if (purpose == Purpose::look)
		return OutputResult::opened;
	*output = open_for_writing(path, Opening::create);
	return *output != nullptr ? OutputResult::opened : OutputResult::cannot_open;
}

// Open a terminal, another character device, a FIFO or a pipe, which holds
// nothing to lose, as it is: refused only when the name has come to lead to
// a file that holds bytes meanwhile, or when the system says it is the input
// itself, a FIFO or a pipe that would wait for its own output (Windows gives
// pipes no identity to tell).
[[nodiscard]] OutputResult open_as_is(const char *path, std::FILE *input, Purpose purpose,
                                      std::FILE **output)
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
	if (result != OutputResult::opened || purpose == Purpose::look) {
		(void)std::fclose(*output);
		*output = nullptr;
	}
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

// Open standard output's own file, the output's, for the purpose: not
// emptied, but written through standard output, so that the anchor lines and
// the messages follow one another, after whatever it held, and only where
// standard output stands at its end (as the shell's > and >> leave it). A
// device cannot be written at its end.
[[nodiscard]] OutputResult share_output(Found found, std::FILE *looked, std::FILE *input_reader,
                                        Purpose purpose, std::FILE **output)
{
	const OutputResult verdict = verdict_on(look_through(looked, input_reader, false));
	if (verdict != OutputResult::opened)
		return verdict;
	WritePosition position{};
	if (found == Found::device || !get_standard_output_position(position) ||
	    (!position.appending && position.offset != position.size))
		return OutputResult::cannot_open;
	if (purpose == Purpose::look)
		return OutputResult::opened;
	*output = share_stream(stdout);
	return *output != nullptr ? OutputResult::opened : OutputResult::cannot_open;
}

// Open the output's file, which looked reads from its start and which is
// not the input's own, for the purpose: standard output's own file through
// standard output; any other only when the look finds it is none of the
// input, standard output's file seen through a second view, or anything
// hrefgen does not write, and emptied then, but for a block device. Once it
// is open for writing, looked is closed and nullptr.
[[nodiscard]] OutputResult replace_looked(const char *path, Found found, std::FILE *&looked,
                                          std::FILE *input_reader, const FileState &seen,
                                          Purpose purpose, std::FILE **output)
{
	switch (is_standard_output(looked)) {
	case Answer::yes:
		return share_output(found, looked, input_reader, purpose, output);
	case Answer::unknown:
		return OutputResult::cannot_open;
	case Answer::no:
		break;
	}
	if (resembles_standard_output(looked) != Answer::no)
		return OutputResult::cannot_open;
	const OutputResult verdict = verdict_on(look_through(looked, input_reader, true));
	if (verdict != OutputResult::opened || purpose == Purpose::look)
		return verdict;
	*output = open_for_writing(path, Opening::existing);
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
	*output = nullptr;
	return OutputResult::cannot_open;
}

// Open the output's file, which holds bytes and which looked reads from its
// start, for the purpose, unless it is the input.
[[nodiscard]] OutputResult replace_output(const char *path, Found found, std::FILE *&looked,
                                          std::FILE *input, const char *input_path, Purpose purpose,
                                          std::FILE **output)
{
	FileState seen{};
	if (!get_state(looked, seen))
		return OutputResult::cannot_open;
	const OutputResult verdict = verdict_on(is_same_file(looked, input));
	if (verdict != OutputResult::opened)
		return verdict;
	std::FILE *input_reader = nullptr;
	switch (look_again(input, input_path, &input_reader)) {
	case Again::stream:
		// A pipe or a terminal: no file of the user's to be seen twice.
	case Again::bytes:
		break;
	case Again::unreadable:
		return OutputResult::cannot_open;
	}
	const OutputResult result =
	        replace_looked(path, found, looked, input_reader, seen, purpose, output);
	if (input_reader != nullptr)
		(void)std::fclose(input_reader);
	return result;
}

}  // namespace

OutputResult open_output(const char *path, std::FILE *input, const char *input_path,
                         Purpose purpose, std::FILE **output)
{
	*output = nullptr;
	// The same name twice is one file, whatever becomes of the name meanwhile;
	// only a terminal or another character device may be read and written at once.
	if (std::strcmp(input_path, path) == 0 && is_character_device(input) != Answer::yes)
		return OutputResult::is_input;
	std::FILE *looked = nullptr;
	const Found found = look_at(path, &looked);
	switch (found) {
	case Found::nothing:
		return create_output(path, purpose, output);
	case Found::character_device:
		// A device that Windows finds behind a file's name, such as nul.html,
		// would take what the user meant for a file.
		if (is_device_alias(path) != Answer::no)
			return OutputResult::cannot_open;
		[[fallthrough]];
	case Found::other:
		return open_as_is(path, input, purpose, output);
	case Found::held_device:
		// A device that holds a mounted file system, or is in another's
		// hands, is never written.
	case Found::unreadable:
		return OutputResult::cannot_open;
	case Found::file:
	case Found::device:
		break;
	}
	const OutputResult result =
	        replace_output(path, found, looked, input, input_path, purpose, output);
	if (looked != nullptr)
		(void)std::fclose(looked);
	return result;
}

Closing close_output(const char *path, std::FILE *output)
{
	// Whether the name still leads to the file written is asked once it is
	// closed, of a second stream that keeps it open and writes nothing: a file
	// renamed over or removed meanwhile holds the anchor lines where no name
	// leads.
	const Answer bytes = holds_bytes(output);
	std::FILE *kept = bytes == Answer::yes ? share_stream(output) : nullptr;
	const bool flushed = std::fflush(output) == 0;
	const bool written = std::fclose(output) == 0 && flushed;
	if (bytes == Answer::no)
		return written ? Closing::closed : Closing::failed;
	if (kept == nullptr)
		return Closing::failed;
	const bool named = leads_to(path, kept) == Answer::yes;
	(void)std::fclose(kept);
	return written && named ? Closing::closed : Closing::failed;
}
