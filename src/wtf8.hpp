// WTF-8: UTF-8 stretched to hold the unpaired surrogates that Windows allows in
// file names, so that every UTF-16 string turns into bytes and back unchanged.
// A wchar_t here holds one UTF-16 code unit.
#pragma once

// Convert the NUL-terminated UTF-16 string wide into a new heap block of
// WTF-8, NUL-terminated; nullptr when memory runs out.
[[nodiscard]] char *wtf8_from_utf16(const wchar_t *wide);

// Convert the NUL-terminated WTF-8 string bytes into a new heap block of
// UTF-16, NUL-terminated; nullptr when memory runs out. A byte that starts no
// well-formed sequence becomes U+FFFD.
[[nodiscard]] wchar_t *utf16_from_wtf8(const char *bytes);

// Turn WTF-8 into UTF-8 in place: each unpaired surrogate, three bytes, becomes
// U+FFFD, three bytes too.
void replace_unpaired_surrogates(char *bytes);
