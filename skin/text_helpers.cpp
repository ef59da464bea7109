#include "skin/text_helpers.h"

#include <charconv>
#include <cstring>

namespace {

// Length of the well-formed UTF-8 sequence that starts at `pos`, or 0 when
// the byte there does not start one. The ranges are those of RFC 3629: no
// overlong forms, no encoded surrogates, nothing above U+10FFFF.
size_t Utf8SequenceLength(std::string_view s, size_t pos) {
  const auto byteAt = [&](size_t i) -> unsigned { return static_cast<unsigned char>(s[i]); };
  const unsigned lead = byteAt(pos);
  const size_t left = s.size() - pos;
  const auto isTail = [&](size_t i) { return (byteAt(i) & 0xC0u) == 0x80u; };

  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return (left >= 2 && isTail(pos + 1)) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (left < 3) return 0;
    const unsigned second = byteAt(pos + 1);
    const unsigned low = (lead == 0xE0) ? 0xA0 : 0x80;
    const unsigned high = (lead == 0xED) ? 0x9F : 0xBF;
    return (second >= low && second <= high && isTail(pos + 2)) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (left < 4) return 0;
    const unsigned second = byteAt(pos + 1);
    const unsigned low = (lead == 0xF0) ? 0x90 : 0x80;
    const unsigned high = (lead == 0xF4) ? 0x8F : 0xBF;
    return (second >= low && second <= high && isTail(pos + 2) && isTail(pos + 3)) ? 4 : 0;
  }
  return 0;
}

std::u16string AsciiToUtf16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

char16_t AsciiLowerUnit(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

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

std::u16string UInt16ToText(uint16_t value) {
  char digits[8];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return AsciiToUtf16(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

std::u16string IntToText(int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return AsciiToUtf16(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    const auto byteAt = [&](size_t i) -> char32_t { return static_cast<unsigned char>(utf8[i]); };
    const size_t length = Utf8SequenceLength(utf8, pos);
    switch (length) {
      case 0:
        // Not UTF-8: the byte stands for itself, as Latin-1 would read it.
        out += static_cast<char16_t>(byteAt(pos));
        pos += 1;
        break;
      case 1:
        out += static_cast<char16_t>(byteAt(pos));
        pos += 1;
        break;
      case 2:
        out += static_cast<char16_t>(((byteAt(pos) & 0x1F) << 6) | (byteAt(pos + 1) & 0x3F));
        pos += 2;
        break;
      case 3:
        out += static_cast<char16_t>(((byteAt(pos) & 0x0F) << 12) |
                                     ((byteAt(pos + 1) & 0x3F) << 6) | (byteAt(pos + 2) & 0x3F));
        pos += 3;
        break;
      default: {
        const char32_t cp = ((byteAt(pos) & 0x07) << 18) | ((byteAt(pos + 1) & 0x3F) << 12) |
                            ((byteAt(pos + 2) & 0x3F) << 6) | (byteAt(pos + 3) & 0x3F);
        const char32_t offset = cp - 0x10000;
        out += static_cast<char16_t>(0xD800 + (offset >> 10));
        out += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        pos += 4;
        break;
      }
    }
  }
}

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

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiLowerUnit(c);
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return out;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLowerUnit(a[i]) != AsciiLowerUnit(b[i])) return false;
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
