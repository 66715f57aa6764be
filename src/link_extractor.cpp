// Cutting one link out of one line of a link list and writing its anchor line.
//
// A line is the bytes up to its NUL terminator. The href runs from the first
// "http://" up to the first space; the spaces after it are skipped and the
// text runs from there up to the line's newline, or to the line's end when it
// has none. A line without a space after the href has an empty text. Nothing is
// escaped: the list is trusted HTML.
#include "link_extractor.hpp"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace
{

constexpr char link_marker[] = "http://";
constexpr std::string_view anchor_open = "<a href=\"";
constexpr std::string_view anchor_middle = "\">";
constexpr std::string_view anchor_close = "</a>\n";

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

// Write length bytes to output; a failure stays in the stream's error indicator.
void put_bytes(const char *bytes, std::size_t length, std::FILE *output)
{
	(void)std::fwrite(bytes, 1, length, output);
}

// Write one anchor line for href and text.
void write_anchor(const char *href, std::size_t href_length, const char *text,
                  std::size_t text_length, std::FILE *output)
{
	put_bytes(anchor_open.data(), anchor_open.size(), output);
	put_bytes(href, href_length, output);
	put_bytes(anchor_middle.data(), anchor_middle.size(), output);
	put_bytes(text, text_length, output);
	put_bytes(anchor_close.data(), anchor_close.size(), output);
}

}  // namespace

ExtractResult process_line(const char *line, std::FILE *output)
{
	const char *href_start = std::strstr(line, link_marker);
	if (href_start == nullptr)
		return ExtractResult::ok;

	// The href ends at the first space, or at the newline or end of a line
	// that has no space after the address.
	const std::size_t href_length = std::strcspn(href_start, " \n");
	const char *text_start = href_start + href_length;
	std::size_t text_length = 0;
	if (*text_start == ' ') {
		text_start += std::strspn(text_start, " ");
		text_length = std::strcspn(text_start, "\n");
	}

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
