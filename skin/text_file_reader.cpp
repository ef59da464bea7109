#include "skin/text_file_reader.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/utf8_text.h"
#include "skin/text_helpers.h"

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

TextLayout DetectTextEncoding(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return {TextEncoding::Utf8, 3};
  if (StartsWith(bytes, "\xFF\xFE")) return {TextEncoding::Utf16LE, 2};
  if (StartsWith(bytes, "\xFE\xFF")) return {TextEncoding::Utf16BE, 2};
  return {IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Latin1, 0};
}

TextLineReader::TextLineReader(std::string_view bytes) {
  const TextLayout layout = DetectTextEncoding(bytes);
  m_Encoding = layout.encoding;
  m_Bytes = bytes.substr(layout.textStart);
  if (IsUtf16()) m_Bytes = m_Bytes.substr(0, m_Bytes.size() & ~size_t{1});
  m_Pos = 0;
}

bool TextLineReader::Next(std::u16string& line) {
  line.clear();
  Span span;
  if (!NextSpan(span)) return false;
  Decode(span, line);
  return true;
}

bool TextLineReader::NextStartingWith(char16_t first, std::u16string& line) {
  line.clear();
  Span span;
  while (NextSpan(span)) {
    if (StartsWith(span, first)) {
      Decode(span, line);
      return true;
    }
  }
  return false;
}

bool TextLineReader::IsUtf16() const {
  return m_Encoding == TextEncoding::Utf16LE || m_Encoding == TextEncoding::Utf16BE;
}

bool TextLineReader::NextSpan(Span& span) {
  if (m_Pos >= m_Bytes.size()) return false;
  return IsUtf16() ? NextUtf16Span(span) : NextByteSpan(span);
}

bool TextLineReader::NextByteSpan(Span& span) {
  // CR and LF never occur inside a multi-byte UTF-8 sequence, so lines can
  // be cut out before they are decoded; memchr keeps long files cheap.
  const char* const begin = m_Bytes.data() + m_Pos;
  const size_t left = m_Bytes.size() - m_Pos;
  const void* lineFeed = std::memchr(begin, '\n', left);
  const size_t toLineFeed =
      lineFeed ? static_cast<size_t>(static_cast<const char*>(lineFeed) - begin) : left;
  const void* carriageReturn = std::memchr(begin, '\r', toLineFeed);
  const size_t length = carriageReturn
                            ? static_cast<size_t>(static_cast<const char*>(carriageReturn) - begin)
                            : toLineFeed;

  span = {m_Pos, m_Pos + length};
  m_Pos += length;
  if (m_Pos < m_Bytes.size() && m_Bytes[m_Pos] == '\r') ++m_Pos;
  if (m_Pos < m_Bytes.size() && m_Bytes[m_Pos] == '\n') ++m_Pos;
  return true;
}

bool TextLineReader::NextUtf16Span(Span& span) {
  span.begin = m_Pos;
  while (m_Pos < m_Bytes.size()) {
    const char16_t unit = Utf16UnitAt(m_Pos);
    if (unit == u'\n' || unit == u'\r') {
      span.end = m_Pos;
      m_Pos += 2;
      if (unit == u'\r' && m_Pos < m_Bytes.size() && Utf16UnitAt(m_Pos) == u'\n') m_Pos += 2;
      return true;
    }
    m_Pos += 2;
  }
  span.end = m_Pos;
  return true;
}

bool TextLineReader::StartsWith(const Span& span, char16_t first) const {
  const size_t step = IsUtf16() ? 2 : 1;
  for (size_t pos = span.begin; pos < span.end; pos += step) {
    // Any byte above blank starts the line's text; a UTF-8 lead byte can
    // never equal an ASCII `first`, so no decoding is needed to compare.
    const char16_t unit = IsUtf16() ? Utf16UnitAt(pos) : static_cast<unsigned char>(m_Bytes[pos]);
    if (unit > u' ') return unit == first;
  }
  return false;
}

void TextLineReader::Decode(const Span& span, std::u16string& line) const {
  const std::string_view raw = m_Bytes.substr(span.begin, span.end - span.begin);
  switch (m_Encoding) {
    case TextEncoding::Utf8:
      AppendUtf8AsUtf16(raw, line);
      break;
    case TextEncoding::Latin1:
      line.reserve(raw.size());
      for (char byte : raw) line += static_cast<char16_t>(static_cast<unsigned char>(byte));
      break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      line.reserve(raw.size() / 2);
      for (size_t pos = span.begin; pos < span.end; pos += 2) line += Utf16UnitAt(pos);
      break;
  }
}

char16_t TextLineReader::Utf16UnitAt(size_t pos) const {
  const auto first = static_cast<unsigned char>(m_Bytes[pos]);
  const auto second = static_cast<unsigned char>(m_Bytes[pos + 1]);
  return m_Encoding == TextEncoding::Utf16LE ? static_cast<char16_t>(first | (second << 8))
                                             : static_cast<char16_t>((first << 8) | second);
}

bool ReadTextFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  std::error_code error;
  const std::filesystem::path filePath = PathFromUtf8(path);
  if (!std::filesystem::is_regular_file(filePath, error)) return false;
  const std::uintmax_t size = std::filesystem::file_size(filePath, error);
  if (error || size > kMaxTextFileBytes) return false;

  std::ifstream file(filePath, std::ios::binary);
  if (!file) return false;
  bytes.resize(static_cast<size_t>(size));
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  // A file that shrank since its size was taken keeps what was read.
  bytes.resize(static_cast<size_t>(file.gcount()));
  if (file.bad()) {
    bytes.clear();
    return false;
  }
  return true;
}
