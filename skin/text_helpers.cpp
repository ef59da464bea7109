#include "skin/text_helpers.h"

#include <charconv>
#include <cstring>

namespace {

template <typename Integer>
std::u16string DecimalText(Integer value) {
  char digits[16];  // room for any 32-bit value and its sign
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::u16string(digits, result.ptr);
}

void AppendCodePointAsUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::u16string SubText(std::u16string_view text, int32_t index, int32_t count) {
  // 64-bit arithmetic: index and count may be anywhere in the 32-bit range.
  const int64_t length = static_cast<int64_t>(text.size());
  if (length < index || count < 1) return {};
  const int64_t start = (index < 1) ? 1 : index;
  const int64_t available = length - start + 1;
  const int64_t taken = (count < available) ? count : available;
  return std::u16string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(taken)));
}

std::u16string UInt16ToText(uint16_t value) { return DecimalText(value); }

std::u16string IntToText(int32_t value) { return DecimalText(value); }

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  AppendUtf8AsUtf16(utf8, out);
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    // Plain ASCII eight bytes at a time: settings files are mostly that.
    uint64_t block;
    while (bytes.size() - pos >= sizeof block) {
      std::memcpy(&block, bytes.data() + pos, sizeof block);
      if (block & 0x8080808080808080u) break;
      pos += sizeof block;
    }
    if (pos >= bytes.size()) break;
    const size_t length = Utf8SequenceLength(bytes, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (IsHighSurrogate(unit) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(utf16[i + 1]) - 0xDC00);
      AppendCodePointAsUtf8(cp, out);
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendCodePointAsUtf8(0xFFFD, out);
    } else {
      AppendCodePointAsUtf8(unit, out);
    }
  }
  return out;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::u16string_view TrimControlAndBlanks(std::u16string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && text[first] <= u' ') ++first;
  while (last > first && text[last - 1] <= u' ') --last;
  return text.substr(first, last - first);
}
