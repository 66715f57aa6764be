// Cutting one link out of one line of a link list and writing its anchor line.
//
// A line is the bytes of one read; a NUL byte among them ends it. The href
// runs from the first "http://" up to the first space; the spaces after it are
// skipped and the text runs from there up to the line's newline, or to the
// line's end when it has none. A line without a space after the href has an
// empty text. Nothing is escaped: the list is trusted HTML.
#include "link_extractor.hpp"

#include <cstdlib>
#include <cstring>

#include "stream_io.hpp"

namespace {

constexpr char link_marker[] = "http://";
constexpr std::size_t link_marker_length = sizeof link_marker - 1;

// Where the line's content ends from 'from' on: at the first NUL byte before
// line_end, else at line_end, and before a newline that closes the line.
[[nodiscard]] const char *content_end(const char *from, const char *line_end)
{
	const void *nul = std::memchr(from, '\0', static_cast<std::size_t>(line_end - from));
	const char *end = nul != nullptr ? static_cast<const char *>(nul) : line_end;
	return end > from && end[-1] == '\n' ? end - 1 : end;
}

// Copy length bytes into a new heap buffer of exactly length + 1 bytes, NUL-terminated.
[[nodiscard]] char *copy_bytes(const char *from, std::size_t length)
{
	auto *copy = static_cast<char *>(std::malloc(length + 1));
	if (copy == nullptr)
		return nullptr;
	std::memcpy(copy, from, length);
	copy[length] = '\0';
	return copy;
}

// Write a string literal byte by byte: cheaper than a call per piece for a few bytes.
template <std::size_t size> void write_literal(const char (&literal)[size], std::FILE *output)
{
	for (std::size_t i = 0; i + 1 < size; ++i)
		write_byte(literal[i], output);
}

// Write one anchor line for href and text.
void write_anchor(const char *href, std::size_t href_length, const char *text,
                  std::size_t text_length, std::FILE *output)
{
	write_literal("<a href=\"", output);
	write_bytes(href, href_length, output);
	write_literal("\">", output);
	write_bytes(text, text_length, output);
	write_literal("</a>\n", output);
}

}  // namespace

ExtractResult process_line(const char *line, std::size_t length, std::FILE *output)
{
	const char *href_start = std::strstr(line, link_marker);
	if (href_start == nullptr)
		return ExtractResult::ok;

	// A newline can only close the line, so the first space after the marker
	// ends the href; without one the href runs to the line's end.
	const char *line_end = line + length;
	const char *space = std::strchr(href_start + link_marker_length, ' ');
	const char *href_end = space;
	const char *text_start = nullptr;
	if (space == nullptr) {
		href_end = content_end(href_start, line_end);
		text_start = href_end;
	} else {
		text_start = space;
		while (*text_start == ' ')
			++text_start;
	}
	const auto href_length = static_cast<std::size_t>(href_end - href_start);
	const auto text_length =
	        static_cast<std::size_t>(content_end(text_start, line_end) - text_start);

	char *href = copy_bytes(href_start, href_length);
	if (href == nullptr)
		return ExtractResult::out_of_memory;
	char *text = copy_bytes(text_start, text_length);
	if (text == nullptr) {
		std::free(href);
		return ExtractResult::out_of_memory;
	}
	write_anchor(href, href_length, text, text_length, output);
	std::free(href);
	std::free(text);
	return ExtractResult::ok;
}
