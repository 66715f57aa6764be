// Check the conversions between UTF-16 and WTF-8 that carry Windows names:
// every string of code units, unpaired surrogates included, comes back
// exactly, and the bytes are UTF-8's wherever UTF-8 can say the same.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "wtf8.hpp"

namespace {

int failures = 0;

// The units as hexadecimal numbers, for a failure message.
std::string show(const std::wstring &units)
{
	std::string text;
	char number[8];
	for (const wchar_t unit : units) {
		std::snprintf(number, sizeof number, " %04x", static_cast<unsigned>(unit));
		text += number;
	}
	return text;
}

// Check that units turn into want (when given) and back into units.
void round_trip(const std::wstring &units, const char *want = nullptr)
{
	char *bytes = wtf8_from_utf16(units.c_str());
	wchar_t *back = bytes == nullptr ? nullptr : utf16_from_wtf8(bytes);
	if (back == nullptr || units != back ||
	    (want != nullptr && std::strcmp(bytes, want) != 0)) {
		std::printf("FAIL:%s did not come back, or its bytes differ\n",
		            show(units).c_str());
		++failures;
	}
	std::free(bytes);
	std::free(back);
}

// Check that bytes, not all well-formed, decode into want.
void decodes(const char *bytes, const std::wstring &want)
{
	wchar_t *got = utf16_from_wtf8(bytes);
	if (got == nullptr || want != got) {
		std::printf("FAIL: decoding gave%s, want%s\n", show(got ? got : L"").c_str(),
		            show(want).c_str());
		++failures;
	}
	std::free(got);
}

// Check that replacing the unpaired surrogates of bytes gives want.
void replaces(const char *bytes, const char *want)
{
	std::string text = bytes;
	replace_unpaired_surrogates(text.data());
	if (text != want) {
		std::printf("FAIL: replacing surrogates in \"%s\" gave \"%s\"\n", bytes,
		            text.c_str());
		++failures;
	}
}

}  // namespace

int main()
{
	// Known bytes: UTF-8 where it applies, three bytes for an unpaired surrogate.
	round_trip(L"links.txt", "links.txt");
	round_trip({0xE9}, "\xC3\xA9");
	round_trip({0x0441, 0x043F}, "\xD1\x81\xD0\xBF");
	round_trip({0x20AC}, "\xE2\x82\xAC");
	round_trip({0xD83D, 0xDE00}, "\xF0\x9F\x98\x80");
	round_trip({0xD83D, 0xDC00}, "\xF0\x9F\x90\x80");
	round_trip({0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF");
	round_trip({0xD800}, "\xED\xA0\x80");
	round_trip({0xDC00, 0xD800}, "\xED\xB0\x80\xED\xA0\x80");
	round_trip({L'a', 0xD83D, L'b', 0xDE00}, "a\xED\xA0\xBD"
	                                         "b\xED\xB8\x80");

	// Every code unit alone, and every pair and triple of units at the edges
	// of the encodings and of the surrogate ranges.
	for (unsigned unit = 1; unit <= 0xFFFF; ++unit)
		round_trip({static_cast<wchar_t>(unit)});
	const wchar_t edges[] = {0x01,   0x7F,   0x80,   0x7FF,  0x800,  0xD7FF, 0xD800, 0xDBFF,
	                         0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFF, 0xD83D, 0xDE00};
	for (const wchar_t a : edges)
		for (const wchar_t b : edges) {
			round_trip({a, b});
			for (const wchar_t c : edges)
				round_trip({a, b, c});
		}

	// Bytes that no conversion makes still decode, each bad byte as U+FFFD.
	decodes("\xFF", {0xFFFD});
	decodes("\xC0\xAF", {0xFFFD, 0xFFFD});
	decodes("\xE0\x80\xAF", {0xFFFD, 0xFFFD, 0xFFFD});
	decodes("\xE2\x82", {0xFFFD, 0xFFFD});
	decodes("a\xF0\x9F\x98", {L'a', 0xFFFD, 0xFFFD, 0xFFFD});
	decodes("\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD});
	decodes("\x84\x80\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD});

	// Messages on redirected output are UTF-8: unpaired surrogates become U+FFFD.
	replaces("a\xED\xA0\x80z", "a\xEF\xBF\xBDz");
	replaces("\xED\xBF\xBF\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD");
	replaces("\xF0\x9F\x98\x80 \xE2\x82\xAC \xED\x9F\xBF",
	         "\xF0\x9F\x98\x80 \xE2\x82\xAC \xED\x9F\xBF");

	std::printf("wtf8: %s\n", failures == 0 ? "all conversions exact" : "FAILED");
	return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
