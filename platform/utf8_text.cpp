#include "platform/utf8_text.h"

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

void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out, StrayUtf8Byte stray) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    const auto byteAt = [&](size_t i) -> char32_t { return static_cast<unsigned char>(utf8[i]); };
    const size_t length = Utf8SequenceLength(utf8, pos);
    switch (length) {
      case 0:
        out += stray == StrayUtf8Byte::AsLatin1 ? static_cast<char16_t>(byteAt(pos)) : u'\uFFFD';
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

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
