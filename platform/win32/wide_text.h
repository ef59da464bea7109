// UTF-8 and the UTF-16 of the Windows API's wide calls.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// wchar_t is 16 bits wide on Windows: the program's UTF-16 texts pass as
// they are.
inline std::wstring WideFromUtf16(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
inline std::u16string Utf16FromWide(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}
