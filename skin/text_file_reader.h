// Turning the bytes of a small data file (Settings.ini, UI.txt, Model.txt)
// into UTF-16 lines, whatever encoding the file was saved in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TextEncoding { Utf8, Latin1, Utf16LE, Utf16BE };

struct TextLayout {
  TextEncoding encoding;
  size_t textStart;  // bytes of the byte-order mark, skipped
};

// A byte-order mark selects UTF-8, UTF-16LE or UTF-16BE. A file without one
// is UTF-8 when all of it is well-formed UTF-8 and Latin-1 otherwise: the
// whole file is taken as one encoding, so a legacy 8-bit file is never read
// half as UTF-8. (A file that declares UTF-8 by its mark stays UTF-8; any bad
// bytes in it are read as Latin-1 one by one.)
TextLayout DetectTextEncoding(std::string_view bytes);

// The lines of a file's bytes, decoded one at a time into a caller's buffer
// so that a long file costs no more than its longest line. Lines end at LF,
// CR or CR LF; the last line needs no line end. A UTF-16 file with an odd
// byte count loses its last byte.
class TextLineReader {
 public:
  // `bytes` must outlive the reader.
  explicit TextLineReader(std::string_view bytes);

  // The next line, without its line end, replaces the content of `line`;
  // false when there are no more lines.
  bool Next(std::u16string& line);

  // As Next, but only for a line whose first code unit above blank is
  // `first` (an ASCII character); the lines before it are passed over
  // without being decoded.
  bool NextStartingWith(char16_t first, std::u16string& line);

  TextEncoding Encoding() const { return m_Encoding; }

 private:
  struct Span {
    size_t begin;
    size_t end;
  };
  // The byte range of the next line (without its line end); false at the end.
  bool NextSpan(Span& span);
  bool NextByteSpan(Span& span);
  bool NextUtf16Span(Span& span);
  bool StartsWith(const Span& span, char16_t first) const;
  void Decode(const Span& span, std::u16string& line) const;
  bool IsUtf16() const;
  char16_t Utf16UnitAt(size_t pos) const;

  std::string_view m_Bytes;
  TextEncoding m_Encoding;
  size_t m_Pos;
};

// Files above this size are not read at all: no data file of the program
// comes near it, and holding one in memory must stay affordable.
inline constexpr size_t kMaxTextFileBytes = 256u * 1024u * 1024u;

// The whole content of the regular file at `path` (links followed) into
// `bytes`. False, with `bytes` empty, when there is no such file, it cannot
// be read or it is larger than kMaxTextFileBytes.
bool ReadTextFileBytes(const std::string& path, std::string& bytes);
