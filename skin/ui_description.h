// A UI description (UI.txt) read whole into memory: byte-order marks select
// UTF-8 or UTF-16, a file without one is UTF-8 with a Latin-1 fallback; lines
// are trimmed; empty lines and lines beginning with ';' are ignored; a
// repeated section's later lines and a repeated entry's later values are
// ignored; a line without '=' reads as absent; names match without letter
// case; values come back as written.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class UiDescription {
 public:
  // nullptr when no file can be read at `path`.
  static std::unique_ptr<UiDescription> LoadFile(const std::string& path);
  static std::unique_ptr<UiDescription> FromBytes(std::string_view bytes);

  // The entry's value, or nullopt when the section or entry is absent.
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view name) const;

  // As the framework's ReadString: the value, or `defaultValue` when absent.
  std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                            std::u16string_view defaultValue) const;

  // The names of all sections, and the entries of one, as they are matched:
  // names in ASCII lower case, values as written; in no particular order.
  std::vector<std::u16string> SectionNames() const;
  std::vector<std::pair<std::u16string, std::u16string>> EntriesOf(
      std::u16string_view section) const;

  ~UiDescription();

 private:
  UiDescription();
  struct Sections;
  std::unique_ptr<Sections> m_Sections;
};
