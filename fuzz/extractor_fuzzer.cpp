// Fuzz the link extractor with arbitrary lines, checking every anchor line it writes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "anchor_model.hpp"
#include "fuzz_check.hpp"
#include "link_extractor.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	// The driver hands a line of which only the last byte can be a newline,
	// NUL-terminated. It goes in a block of exactly that size, so that
	// AddressSanitizer catches a scan that passes the terminator.
	std::string_view bytes(reinterpret_cast<const char *>(data), size);
	const std::size_t newline = bytes.find('\n');
	if (newline != std::string_view::npos)
		bytes = bytes.substr(0, newline + 1);
	auto *line = static_cast<char *>(std::malloc(bytes.size() + 1));
	std::memcpy(line, bytes.data(), bytes.size());
	line[bytes.size()] = '\0';

	char *written = nullptr;
	std::size_t written_size = 0;
	std::FILE *output = open_memstream(&written, &written_size);
	check(convert_line(line, output) == ExtractResult::ok, "convert_line succeeds");
	std::fclose(output);

	const std::string_view anchor(written, written_size);
	const std::string want = expected_anchor(bytes);
	check(anchor == want, "anchor line as the rules say");
	if (!anchor.empty()) {
		check(anchor.starts_with("<a href=\"http://"), "starts with <a href=\"http://");
		check(anchor.ends_with("</a>\n"), "ends with </a> and a newline");
		check(anchor.find('\n') == anchor.size() - 1, "exactly one newline");
	}
	std::free(written);
	std::free(line);
	return 0;
}
