#include "app/main_form_rules.h"

#include <filesystem>

#include "app/tray_menu_rules.h"
#include "platform/session/autostart.h"
#include "platform/session/executable_folder.h"
#include "platform/utf8_text.h"
#include "skin/Language_subroutines.h"

namespace {

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(PathFromUtf8(path), error);  // links followed
}

}  // namespace

AutostartSwitch ProgramAutostart() {
  return {[] { return IsAutoStartSet(kAutostartName); },
          [] { return ToggleAutostart(kAutostartName, ExecutablePath()); }};
}

MainFormRules::MainFormRules(MainFormView& view, const std::string& dataFolder,
                             AutostartSwitch autostart)
    : m_View(view), m_Autostart(std::move(autostart)) {
  const std::string settingsPath = dataFolder + "Settings.ini";
  if (FileExists(settingsPath)) m_SettingsIni.emplace(settingsPath);
  // A language the menu does not list shows as English.
  m_Language = LanguageOfMenuTag(MenuTagOfLanguage(GetLanguageName(u"")));
}

std::u16string MainFormRules::ReadString(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view defaultValue) const {
  if (!m_SettingsIni) return std::u16string(defaultValue);
  return m_SettingsIni->ReadString(section, key, defaultValue);
}

std::optional<std::u16string> MainFormRules::TrayTooltip() const {
  std::u16string hint = ReadString(m_Language, u"Hint", u"");
  if (hint.size() >= kTooltipLimit) return std::nullopt;
  return hint;
}

void MainFormRules::FormCreate() {
  m_View.SetMenuItemChecked(LanguageItem(MenuTagOfLanguage(m_Language)), true);
  CaptionMenu();
}

void MainFormRules::CaptionMenu() {
  m_View.SetMenuCaption(MainMenuItem::Close, ReadString(m_Language, u"PopMenu1", kMissingText));
  m_View.SetMenuCaption(MainMenuItem::Autostart, ReadString(m_Language, u"PopMenu2", kMissingText));
  m_View.SetMenuCaption(MainMenuItem::LanguageMenu,
                        ReadString(m_Language, u"PopMenu3", kMissingText));
  if (const std::optional<std::u16string> tooltip = TrayTooltip()) m_View.SetTrayTooltip(*tooltip);
  m_View.MenuCaptioned();
}

void MainFormRules::FormShow() {
  if (m_Shown) return;
  m_Shown = true;
  m_View.DiscoverDevices();
  m_AutostartChecked = m_Autostart.isSet();
  m_View.SetMenuItemChecked(MainMenuItem::Autostart, m_AutostartChecked);
}

void MainFormRules::FormClose() {
  if (m_Closed) return;
  m_Closed = true;
  m_View.LeaveNotifyModeForRecordedDevices();
  m_View.ReleaseDeviceLists();
}

void MainFormRules::N2Click() {
  m_AutostartChecked = m_Autostart.toggle();  // throws on failure
  m_View.SetMenuItemChecked(MainMenuItem::Autostart, m_AutostartChecked);
}

MainMenuItem MainFormRules::LanguageItem(int tag) {
  switch (tag) {
    case 1:
      return MainMenuItem::ChineseS;
    case 2:
      return MainMenuItem::ChineseT;
    default:
      return MainMenuItem::English;
  }
}

void MainFormRules::LanguageClick(int tag) {
  for (const MainMenuItem item :
       {MainMenuItem::ChineseS, MainMenuItem::ChineseT, MainMenuItem::English}) {
    m_View.SetMenuItemChecked(item, false);
  }
  m_View.SetMenuItemChecked(LanguageItem(tag), true);
  m_Language = LanguageOfMenuTag(tag);
  CaptionMenu();
}

void MainFormRules::ShowHint(const std::optional<HintRecipe>& recipe) {
  if (!recipe) return;
  const HintTexts texts = ReadHintTexts(
      *recipe, m_Language, [this](std::u16string_view section, std::u16string_view key) {
        return ReadString(section, key, kMissingText);
      });
  if (recipe->popup == HintPopup::LTKey) {
    m_View.ShowLTKeyPopup(texts.title, texts.text);
  } else {
    m_View.ShowRTModePopup(recipe->rtMode, texts.title, texts.text);
  }
}
