#include "skin/settings_file.h"

#include <utility>

#include "skin/text_file_reader.h"
#include "skin/text_helpers.h"

namespace {

// The Windows reader hands values back through a buffer of 2048 characters,
// its terminator included.
constexpr size_t kMaxValueLength = 2047;

std::u16string_view WithoutEnclosingQuotes(std::u16string_view value) {
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == u'"' || value.front() == u'\''))
    return value.substr(1, value.size() - 2);
  return value;
}

std::u16string CutToMaxValueLength(std::u16string_view value) {
  if (value.size() <= kMaxValueLength) return std::u16string(value);
  size_t length = kMaxValueLength;
  // Never hand out half of a surrogate pair.
  if (IsHighSurrogate(value[length - 1])) --length;
  return std::u16string(value.substr(0, length));
}

// The name of a section header line, or false when the line is no header.
bool ParseSectionHeader(std::u16string_view line, std::u16string_view& name) {
  if (line.empty() || line.front() != u'[') return false;
  const size_t close = line.find(u']');
  if (close == std::u16string_view::npos) return false;
  name = TrimControlAndBlanks(line.substr(1, close - 1));
  return true;
}

}  // namespace

SettingsFile::SettingsFile(std::string path) : m_Path(std::move(path)) {}

std::u16string SettingsFile::ReadString(std::u16string_view section, std::u16string_view key,
                                        std::u16string_view defaultValue) const {
  std::string bytes;
  if (!ReadTextFileBytes(m_Path, bytes)) return std::u16string(defaultValue);

  TextLineReader reader(bytes);
  std::u16string rawLine;
  bool inWantedSection = false;
  // Outside the wanted section only headers matter, and the reader passes
  // over every other line without decoding it.
  while (inWantedSection ? reader.Next(rawLine) : reader.NextStartingWith(u'[', rawLine)) {
    const std::u16string_view line = TrimControlAndBlanks(rawLine);
    if (line.empty()) continue;

    if (line.front() == u'[') {
      std::u16string_view name;
      if (!ParseSectionHeader(line, name)) continue;
      if (inWantedSection) break;  // the first block of the section ended without the key
      inWantedSection = EqualsIgnoringAsciiCase(name, section);
      continue;
    }
    if (!inWantedSection) continue;

    const size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) continue;
    if (!EqualsIgnoringAsciiCase(TrimControlAndBlanks(line.substr(0, equals)), key)) continue;
    const std::u16string_view value = TrimControlAndBlanks(line.substr(equals + 1));
    return CutToMaxValueLength(WithoutEnclosingQuotes(value));
  }
  return std::u16string(defaultValue);
}
