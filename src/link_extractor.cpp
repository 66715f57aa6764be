// Cutting one link out of one line of a link list and writing its anchor
// line, by the rule that link_extractor.hpp gives.
#include "link_extractor.hpp"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "stream_io.hpp"

namespace {

constexpr char link_marker[] = "http://";
constexpr std::size_t link_marker_length = sizeof link_marker - 1;

// The end of the bytes from start to end, without the newline that may close them.
[[nodiscard]] const char *without_newline(const char *start, const char *end)
{
	return end > start && end[-1] == '\n' ? end - 1 : end;
}

// The anchor line around its href and its text.
constexpr std::string_view anchor_open = "<a href=\"";
constexpr std::string_view anchor_middle = "\">";
constexpr std::string_view anchor_close = "</a>\n";

// Copy bytes to where to points, and return the end of the copy.
[[nodiscard]] char *put(char *to, std::string_view bytes)
{
	std::memcpy(to, bytes.data(), bytes.size());
	return to + bytes.size();
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

}  // namespace

ExtractResult convert_line(const char *line, std::FILE *output)
{
	std::string_view href;
	std::string_view text;
	if (!find_link(line, href, text))
		return ExtractResult::ok;
	// The anchor line is put together in a heap block of its own, so that
	// memory running out is reported, and the line left unwritten, as
	// hrefgen has always done; and it is written in one call.
	const std::size_t size = anchor_open.size() + href.size() + anchor_middle.size() +
	                         text.size() + anchor_close.size();
	auto *anchor = static_cast<char *>(std::malloc(size));
	if (anchor == nullptr)
		return ExtractResult::out_of_memory;
	char *end = put(anchor, anchor_open);
	end = put(end, href);
	end = put(end, anchor_middle);
	end = put(end, text);
	(void)put(end, anchor_close);
	write_bytes(anchor, size, output);
	std::free(anchor);
	return ExtractResult::ok;
}
