// Conversions between UTF-16 and WTF-8, for names on their way from the
// Windows command line to the Windows file calls.
#include "wtf8.hpp"

#include <cstddef>
#include <cstdlib>

namespace {

constexpr char32_t replacement_character = 0xFFFD;

[[nodiscard]] bool is_high_surrogate(char32_t unit)
{
	return unit >= 0xD800 && unit <= 0xDBFF;
}

[[nodiscard]] bool is_low_surrogate(char32_t unit)
{
	return unit >= 0xDC00 && unit <= 0xDFFF;
}

// A continuation byte of a multi-byte sequence is 10xxxxxx.
[[nodiscard]] bool is_continuation(char byte)
{
	return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

// The code unit at wide[i], as a number. wchar_t is 32 bits on Linux, where
// the conversions are tested too, and may be signed: only its 16 bits count.
[[nodiscard]] char32_t unit_at(const wchar_t *wide, std::size_t i)
{
	return static_cast<char32_t>(wide[i]) & 0xFFFFU;
}

// Store code point as WTF-8 at out, if out is not null; the number of bytes it takes.
std::size_t put_code_point(char32_t code_point, char *out)
{
	unsigned char bytes[4];
	std::size_t count = 0;
	if (code_point < 0x80) {
		bytes[count++] = static_cast<unsigned char>(code_point);
	} else if (code_point < 0x800) {
		bytes[count++] = static_cast<unsigned char>(0xC0U | (code_point >> 6));
		bytes[count++] = static_cast<unsigned char>(0x80U | (code_point & 0x3FU));
	} else if (code_point < 0x10000) {
		bytes[count++] = static_cast<unsigned char>(0xE0U | (code_point >> 12));
		bytes[count++] = static_cast<unsigned char>(0x80U | ((code_point >> 6) & 0x3FU));
		bytes[count++] = static_cast<unsigned char>(0x80U | (code_point & 0x3FU));
	} else {
		bytes[count++] = static_cast<unsigned char>(0xF0U | (code_point >> 18));
		bytes[count++] = static_cast<unsigned char>(0x80U | ((code_point >> 12) & 0x3FU));
		bytes[count++] = static_cast<unsigned char>(0x80U | ((code_point >> 6) & 0x3FU));
		bytes[count++] = static_cast<unsigned char>(0x80U | (code_point & 0x3FU));
	}
	for (std::size_t i = 0; out != nullptr && i < count; ++i)
		out[i] = static_cast<char>(bytes[i]);
	return count;
}

// Encode wide as WTF-8 at out, if out is not null, without the terminator; the number of bytes.
std::size_t encode(const wchar_t *wide, char *out)
{
	std::size_t length = 0;
	for (std::size_t i = 0; wide[i] != 0; ++i) {
		char32_t code_point = unit_at(wide, i);
		// Only a pair makes one code point: a lone surrogate is kept as it is.
		if (is_high_surrogate(code_point) && is_low_surrogate(unit_at(wide, i + 1))) {
			code_point = 0x10000 + ((code_point - 0xD800) << 10) +
			             (unit_at(wide, i + 1) - 0xDC00);
			++i;
		}
		length += put_code_point(code_point, out == nullptr ? nullptr : out + length);
	}
	return length;
}

// Decode the sequence that starts at bytes; its code point, with its length in bytes in length.
[[nodiscard]] char32_t next_code_point(const char *bytes, std::size_t &length)
{
	const auto lead = static_cast<unsigned char>(bytes[0]);
	length = 1;
	if (lead < 0x80)
		return lead;
	std::size_t count = 0;
	char32_t code_point = 0;
	if (lead >= 0xC2 && lead <= 0xDF) {
		count = 2;
		code_point = lead & 0x1FU;
	} else if (lead >= 0xE0 && lead <= 0xEF) {
		count = 3;
		code_point = lead & 0x0FU;
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		count = 4;
		code_point = lead & 0x07U;
	} else {
		return replacement_character;
	}
	// The terminator is no continuation byte: a short sequence stops at it.
	for (std::size_t i = 1; i < count; ++i) {
		if (!is_continuation(bytes[i]))
			return replacement_character;
		code_point = (code_point << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3FU);
	}
	const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
	if (code_point < smallest[count] || code_point > 0x10FFFF)
		return replacement_character;
	length = count;
	return code_point;
}

// Decode bytes into UTF-16 at out, if out is not null, without the terminator; the number of units.
std::size_t decode(const char *bytes, wchar_t *out)
{
	std::size_t units = 0;
	for (std::size_t length = 0; *bytes != '\0'; bytes += length) {
		const char32_t code_point = next_code_point(bytes, length);
		if (code_point < 0x10000) {
			if (out != nullptr)
				out[units] = static_cast<wchar_t>(code_point);
			++units;
			continue;
		}
		if (out != nullptr) {
			out[units] = static_cast<wchar_t>(0xD800 + ((code_point - 0x10000) >> 10));
			out[units + 1] =
			        static_cast<wchar_t>(0xDC00 + ((code_point - 0x10000) & 0x3FFU));
		}
		units += 2;
	}
	return units;
}

}  // namespace

char *wtf8_from_utf16(const wchar_t *wide)
{
	const std::size_t length = encode(wide, nullptr);
	auto *bytes = static_cast<char *>(std::malloc(length + 1));
	if (bytes == nullptr)
		return nullptr;
	(void)encode(wide, bytes);
	bytes[length] = '\0';
	return bytes;
}

wchar_t *utf16_from_wtf8(const char *bytes)
{
	const std::size_t units = decode(bytes, nullptr);
	auto *wide = static_cast<wchar_t *>(std::malloc((units + 1) * sizeof(wchar_t)));
	if (wide == nullptr)
		return nullptr;
	(void)decode(bytes, wide);
	wide[units] = 0;
	return wide;
}

void replace_unpaired_surrogates(char *bytes)
{
	for (std::size_t length = 0; *bytes != '\0'; bytes += length) {
		const char32_t code_point = next_code_point(bytes, length);
		if (is_high_surrogate(code_point) || is_low_surrogate(code_point))
			(void)put_code_point(replacement_character, bytes);
	}
}
