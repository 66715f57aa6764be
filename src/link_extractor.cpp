// Cutting one link out of one line of a link list and writing its anchor
// line, by the rule that link_extractor.hpp gives.
#include "link_extractor.hpp"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "line_io.hpp"

namespace {

constexpr char link_marker[] = "http://";
constexpr std::size_t link_marker_length = sizeof link_marker - 1;

// The end of the bytes from start to end, without the newline that may close them.
[[nodiscard]] const char *without_newline(const char *start, const char *end)
{
	return end > start && end[-1] == '\n' ? end - 1 : end;
}

// Copy bytes into a new heap block, NUL-terminated as the lines they come from
// are; nullptr when memory runs out. With the terminator an empty text still
// gets a block of its own, and malloc(0), which may return null, cannot pass
// for memory running out.
[[nodiscard]] char *copy_bytes(std::string_view bytes)
{
	auto *copy = static_cast<char *>(std::malloc(bytes.size() + 1));
	if (copy == nullptr)
		return nullptr;
	std::memcpy(copy, bytes.data(), bytes.size());
	copy[bytes.size()] = '\0';
	return copy;
}

// Write a string literal byte by byte: cheaper than a call per piece for a few bytes.
template <std::size_t size> void write_literal(const char (&literal)[size], std::FILE *output)
{
	for (std::size_t i = 0; i + 1 < size; ++i)
		write_byte(literal[i], output);
}

// Find the link in line, its href and its text; false when the line holds no "http://".
[[nodiscard]] bool find_link(const char *line, std::string_view &href, std::string_view &text)
{
	const char *href_start = std::strstr(line, link_marker);
	if (href_start == nullptr)
		return false;
	// A newline can only close the line, so the first space after the marker
	// ends the href; without one the href runs to the line's end.
	const char *href_end = std::strchr(href_start + link_marker_length, ' ');
	if (href_end == nullptr)
		href_end = without_newline(href_start, href_start + std::strlen(href_start));
	const char *text_start = href_end;
	while (*text_start == ' ')
		++text_start;
	href = {href_start, static_cast<std::size_t>(href_end - href_start)};
	const char *text_end = without_newline(text_start, text_start + std::strlen(text_start));
	text = {text_start, static_cast<std::size_t>(text_end - text_start)};
	return true;
}

// Write the anchor line of href and text.
void write_anchor(std::string_view href, std::string_view text, std::FILE *output)
{
	write_literal("<a href=\"", output);
	write_bytes(href.data(), href.size(), output);
	write_literal("\">", output);
	write_bytes(text.data(), text.size(), output);
	write_literal("</a>\n", output);
}

}  // namespace

ExtractResult convert_line(const char *line, std::FILE *output)
{
	std::string_view href;
	std::string_view text;
	if (!find_link(line, href, text))
		return ExtractResult::ok;
	// The href and text are copied so that memory running out is reported,
	// and the line left unwritten, as hrefgen has always done. The anchor is
	// written from the copies, not from the views: copies that nothing reads
	// are removed by the compiler (clang at -O2), and with them the report.
	char *href_copy = copy_bytes(href);
	if (href_copy == nullptr)
		return ExtractResult::out_of_memory;
	char *text_copy = copy_bytes(text);
	if (text_copy == nullptr) {
		std::free(href_copy);
		return ExtractResult::out_of_memory;
	}
	write_anchor({href_copy, href.size()}, {text_copy, text.size()}, output);
	std::free(href_copy);
	std::free(text_copy);
	return ExtractResult::ok;
}
