// ASCII-only character helpers for every room: letter case and hex digits.
// Only A-Z, a-z and 0-9 count, whatever the locale; every other unit (of
// any width) passes unchanged.
#pragma once

#include <string>
#include <string_view>

template <typename Char>
constexpr Char LowerAscii(Char c) {
  return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
std::basic_string<Char> AsciiLowerCopy(std::basic_string_view<Char> text) {
  std::basic_string<Char> lowered(text);
  for (Char& c : lowered) c = LowerAscii(c);
  return lowered;
}

inline std::string AsciiLower(std::string_view text) { return AsciiLowerCopy(text); }
inline std::u16string AsciiLower(std::u16string_view text) { return AsciiLowerCopy(text); }

// The value of the hex digit 0-9, a-f or A-F; -1 for any other unit.
constexpr int HexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a' + 10);
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A' + 10);
  return -1;
}
