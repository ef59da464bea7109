#include "app/tray_menu_rules.h"

#include <array>

#include "platform/session/autostart.h"

namespace {

constexpr std::array<std::u16string_view, kMenuLanguageCount> kMenuLanguages = {
    u"English", u"ChineseS", u"ChineseT"};

}  // namespace

std::u16string LanguageOfMenuTag(int tag) {
  if (tag < 0 || tag >= kMenuLanguageCount) tag = 0;
  return std::u16string(kMenuLanguages[static_cast<size_t>(tag)]);
}

int MenuTagOfLanguage(std::u16string_view language) {
  for (int tag = 0; tag < kMenuLanguageCount; ++tag) {
    if (kMenuLanguages[static_cast<size_t>(tag)] == language) return tag;
  }
  return 0;
}

bool ToggleAutostart(std::string_view name, std::string_view executable) {
  if (IsAutoStartSet(name)) {
    RemoveAutostartEntry(name);
    return false;
  }
  WriteAutostartEntry(name, executable);
  return true;
}
