// Small text operations: sub-texts, numbers as text, UTF-8/UTF-16 and
// ASCII letter case. Texts are UTF-16; positions count code units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The characters from `index` (counted from 1; below 1 reads as 1) on, at
// most `count` of them; empty when the text is shorter than `index` or
// `count` is below 1.
std::u16string SubText(std::u16string_view text, int32_t index, int32_t count);

// Decimal text as "%hu" and "%i" write it.
std::u16string UInt16ToText(uint16_t value);
std::u16string IntToText(int32_t value);

// Conversions between UTF-8 and UTF-16. Invalid input never throws: a byte
// that is not part of valid UTF-8 is read as Latin-1, an unpaired surrogate
// becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// A-Z to a-z; every other code unit unchanged.
std::u16string AsciiLower(std::u16string_view text);
std::string AsciiLower(std::string_view text);

// True when both texts are equal without regard to ASCII letter case.
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
