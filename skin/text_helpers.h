// Small text operations: sub-texts, numbers as text, UTF-8/UTF-16 and
// ASCII letter case. Texts are UTF-16; positions count code units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// AsciiLower, hex digits, AppendUtf8AsUtf16 and the surrogate tests live
// with the device layer, which needs them too.
#include "platform/ascii_text.h"
#include "platform/utf8_text.h"

// The characters from `index` (counted from 1; below 1 reads as 1) on, at
// most `count` of them; empty when the text is shorter than `index` or
// `count` is below 1.
std::u16string SubText(std::u16string_view text, int32_t index, int32_t count);

// Decimal text as "%hu" and "%i" write it.
std::u16string UInt16ToText(uint16_t value);
std::u16string IntToText(int32_t value);

// Conversions between UTF-8 and UTF-16. Invalid input never throws: a byte
// that is not part of valid UTF-8 (stray continuation bytes, overlong forms,
// encoded surrogates, values above U+10FFFF, cut-off sequences) is read as
// Latin-1 on its own and decoding goes on with the next byte; an unpaired
// surrogate becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when every byte of `bytes` is part of a well-formed UTF-8 sequence.
bool IsValidUtf8(std::string_view bytes);

// True when both texts are equal without regard to ASCII letter case.
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// `text` without the code units 0 to 32 (blanks, tabs, line ends, other
// control characters) at both ends; a view into `text`.
std::u16string_view TrimControlAndBlanks(std::u16string_view text);
