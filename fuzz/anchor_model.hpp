// A plain model of what hrefgen writes, to check the real code against in the fuzz targets.
#pragma once

#include <algorithm>
#include <iterator>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

// The anchor line the extractor must write for one line as read (empty when none).
inline std::string expected_anchor(std::string_view line)
{
	line = line.substr(0, line.find('\0'));
	const std::size_t marker = line.find("http://");
	if (marker == std::string_view::npos)
		return {};
	std::size_t i = marker;
	while (i < line.size() && line[i] != ' ' && line[i] != '\n')
		++i;
	const std::string_view href = line.substr(marker, i - marker);
	std::string_view text;
	if (i < line.size() && line[i] == ' ') {
		while (i < line.size() && line[i] == ' ')
			++i;
		std::size_t end = i;
		while (end < line.size() && line[end] != '\n')
			++end;
		text = line.substr(i, end - i);
	}
	std::string anchor = "<a href=\"";
	anchor += href;
	anchor += "\">";
	anchor += text;
	anchor += "</a>\n";
	return anchor;
}

// The output of a whole run: the input cut into pieces of at most read_limit - 1
// characters, each ending at its newline, and each piece's anchor line in turn.
inline std::string expected_output(std::string_view input, std::size_t read_limit)
{
	std::string output;
	while (!input.empty()) {
		std::size_t length = input.find('\n');
		length = length == std::string_view::npos ? input.size() : length + 1;
		length = std::min(length, read_limit - 1);
		output += expected_anchor(input.substr(0, length));
		input.remove_prefix(length);
	}
	return output;
}

// What every anchor line begins with.
constexpr std::string_view model_anchor_start = "<a href=\"http://";

// Tell whether rest, what follows an anchor line's start, is an address with
// no space, the first "> and a text that does not begin with a space; cut
// short, it may also be the start of an address.
inline bool is_model_address_and_text(std::string_view rest, bool cut_short)
{
	const std::size_t split = rest.find("\">");
	if (split == std::string_view::npos)
		return cut_short && rest.find(' ') == std::string_view::npos;
	return rest.substr(0, split).find(' ') == std::string_view::npos &&
	       !rest.substr(split + 2).starts_with(' ');
}

// Tell whether line, without its LF, is an anchor line as hrefgen writes it,
// ended by LF or CR LF, by the manual page's words: <a href="http://, an
// address with no space, "> (the first), a text that does not begin with a
// space, </a>; no NUL byte, and CRs anywhere.
inline bool is_model_anchor_line(std::string_view line)
{
	if (line.ends_with("</a>\r"))
		line.remove_suffix(5);
	else if (line.ends_with("</a>"))
		line.remove_suffix(4);
	else
		return false;
	return line.starts_with(model_anchor_start) && line.find('\0') == std::string_view::npos &&
	       is_model_address_and_text(line.substr(model_anchor_start.size()), false);
}

// Tell whether line, the last and without an LF, is the start of an anchor
// line with no CR in it.
inline bool is_model_anchor_start(std::string_view line)
{
	if (line.size() <= model_anchor_start.size())
		return model_anchor_start.starts_with(line);
	return line.starts_with(model_anchor_start) &&
	       line.find_first_of(std::string_view{"\0\r", 2}) == std::string_view::npos &&
	       is_model_address_and_text(line.substr(model_anchor_start.size()), true);
}

// A regular expression for the message format: its names any bytes but
// NUL, its numbers decimal digits, and an optional CR before its newline.
inline std::regex model_message(std::string_view format)
{
	std::string pattern;
	for (std::size_t i = 0; i + 1 < format.size(); ++i) {
		if (format.substr(i).starts_with("%s")) {
			pattern += "[^\\x00]*";
			++i;
		} else if (format.substr(i).starts_with("%lld")) {
			pattern += "[0-9]+";
			i += 3;
		} else {
			pattern += '[';
			pattern += format[i];
			pattern += ']';
		}
	}
	return std::regex(pattern + "\r?");
}

// Tell whether bytes are what hrefgen takes for an earlier output of its
// own: after an optional UTF-8 byte order mark, lines that are anchor lines,
// messages (of formats) or white space and NUL bytes, the last perhaps the
// start of an anchor line.
template <typename Formats>
bool is_model_earlier_output(std::string_view bytes, const Formats &formats)
{
	static const std::vector<std::regex> messages = [&formats] {
		std::vector<std::regex> list;
		for (std::string_view format : formats)
			list.push_back(model_message(format));
		return list;
	}();
	constexpr std::string_view blank{" \t\r\v\f\0", 6};
	if (bytes.starts_with("\xEF\xBB\xBF"))
		bytes.remove_prefix(3);
	for (;;) {
		const std::size_t end = bytes.find('\n');
		const std::string_view line = bytes.substr(0, end);
		const bool is_blank = line.find_first_not_of(blank) == std::string_view::npos;
		if (end == std::string_view::npos)
			return is_blank || is_model_anchor_start(line);
		const auto is_message = [line](const std::regex &message) {
			return std::regex_match(line.begin(), line.end(), message);
		};
		if (!is_blank && !is_model_anchor_line(line) &&
		    std::none_of(messages.begin(), messages.end(), is_message))
			return false;
		bytes.remove_prefix(end + 1);
	}
}
