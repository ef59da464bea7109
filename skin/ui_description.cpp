#include "skin/ui_description.h"

#include <unordered_map>

#include "skin/text_file_reader.h"
#include "skin/text_helpers.h"

namespace {

// Entries of one section, keyed by their ASCII lower-case name.
using Entries = std::unordered_map<std::u16string, std::u16string>;

}  // namespace

// Sections keyed by their ASCII lower-case name.
struct UiDescription::Sections {
  std::unordered_map<std::u16string, Entries> byName;
};

UiDescription::UiDescription() : m_Sections(std::make_unique<Sections>()) {}

UiDescription::~UiDescription() = default;

std::unique_ptr<UiDescription> UiDescription::LoadFile(const std::string& path) {
  std::string bytes;
  if (!ReadTextFileBytes(path, bytes)) return nullptr;
  return FromBytes(bytes);
}

std::unique_ptr<UiDescription> UiDescription::FromBytes(std::string_view bytes) {
  std::unique_ptr<UiDescription> description(new UiDescription());
  auto& sections = description->m_Sections->byName;

  TextLineReader reader(bytes);
  std::u16string rawLine;
  // Null before the first header and under a repeated header: such lines
  // are dropped.
  Entries* current = nullptr;
  while (reader.Next(rawLine)) {
    const std::u16string_view line = TrimControlAndBlanks(rawLine);
    if (line.empty() || line.front() == u';') continue;

    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      const std::u16string name = AsciiLower(TrimControlAndBlanks(line.substr(1, line.size() - 2)));
      const auto [where, isNew] = sections.try_emplace(name);
      current = isNew ? &where->second : nullptr;
      continue;
    }
    if (current == nullptr) continue;

    // A line without '=' has a name but no value; it never answers a lookup.
    const size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) continue;
    current->try_emplace(AsciiLower(TrimControlAndBlanks(line.substr(0, equals))),
                         TrimControlAndBlanks(line.substr(equals + 1)));
  }
  return description;
}

std::optional<std::u16string> UiDescription::Find(std::u16string_view section,
                                                  std::u16string_view name) const {
  const auto sectionIt = m_Sections->byName.find(AsciiLower(section));
  if (sectionIt == m_Sections->byName.end()) return std::nullopt;
  const auto entryIt = sectionIt->second.find(AsciiLower(name));
  if (entryIt == sectionIt->second.end()) return std::nullopt;
  return entryIt->second;
}

std::u16string UiDescription::ReadString(std::u16string_view section, std::u16string_view name,
                                         std::u16string_view defaultValue) const {
  std::optional<std::u16string> value = Find(section, name);
  return value ? std::move(*value) : std::u16string(defaultValue);
}

std::vector<std::u16string> UiDescription::SectionNames() const {
  std::vector<std::u16string> names;
  names.reserve(m_Sections->byName.size());
  for (const auto& [name, entries] : m_Sections->byName) names.push_back(name);
  return names;
}

std::vector<std::pair<std::u16string, std::u16string>> UiDescription::EntriesOf(
    std::u16string_view section) const {
  const auto sectionIt = m_Sections->byName.find(AsciiLower(section));
  if (sectionIt == m_Sections->byName.end()) return {};
  return {sectionIt->second.begin(), sectionIt->second.end()};
}
