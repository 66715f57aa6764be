// A plain model of what hrefgen writes, to check the real code against in the fuzz targets.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

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
