// UTF-8 to UTF-16, for device strings (sysfs) and the data files alike, and
// file names held as UTF-8.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

constexpr bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Length of the well-formed UTF-8 sequence that starts at `pos` (below
// s.size()), or 0 when the byte there does not start one. The ranges are
// those of RFC 3629: no overlong forms, no encoded surrogates, nothing
// above U+10FFFF, nothing cut off by the end of `s`.
size_t Utf8SequenceLength(std::string_view s, size_t pos);

// What a byte that starts no well-formed sequence becomes; decoding goes on
// with the next byte either way. Data files read it as Latin-1, so a file
// written in a legacy code page keeps its letters; a device's string has no
// other encoding, so there the byte is damage and shows as U+FFFD.
enum class StrayUtf8Byte { AsLatin1, AsReplacementCharacter };

// Appends the UTF-16 form of `utf8` to `out`, so that a caller decoding
// many lines can reuse one buffer.
void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out,
                       StrayUtf8Byte stray = StrayUtf8Byte::AsLatin1);

// A file name held as UTF-8 as the system's path type: taken byte for byte
// on Linux, and converted to UTF-16 on Windows, where a narrow path would be
// read in the ANSI code page.
std::filesystem::path PathFromUtf8(std::string_view utf8);
