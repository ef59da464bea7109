// An INI file read with the semantics of the Windows private-profile reader:
// the file is read afresh at every lookup; a missing file, section or key
// gives the default; a key present with an empty value gives the empty text;
// names match without letter case; one pair of enclosing quotes and the
// surrounding blanks are removed; values are cut to 2047 code units.
// Encodings: UTF-16LE with byte-order mark, UTF-8 with or without one; bytes
// that are not valid UTF-8 are read as Latin-1.
//
// Line rules: lines are trimmed of blanks and control characters; a line
// "[name]" opens the section `name` (trimmed; text after the ']' is
// ignored, a '[' line without ']' is ignored); other lines are entries split
// at their first '=' and a line without '=' is ignored, as are lines before
// the first section. When a section name occurs twice, only its first block
// is searched; when a key occurs twice in that block, its first entry wins.
#pragma once

#include <string>
#include <string_view>

class SettingsFile {
 public:
  explicit SettingsFile(std::string path);

  const std::string& Path() const { return m_Path; }

  std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue) const;

 private:
  std::string m_Path;
};
