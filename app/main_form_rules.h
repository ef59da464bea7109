// The main window's rules, apart from any toolkit: the tray menu's captions
// and its language and autostart marks, the tray tooltip, the settings
// lookup, the window's show and close steps, and the notification texts
// handed to the popups. The Qt and the Win32 TMainForm implement
// MainFormView and leave every decision here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/notification_texts.h"
#include "platform/program_name.h"
#include "skin/settings_file.h"

// What a lookup without a value shows: a caption or text the settings lack.
inline constexpr std::u16string_view kMissingText = u"@@";
// The autostart entry's name (the Run value's on Windows).
inline constexpr std::string_view kAutostartName = kProgramName;
// The tray refuses tooltips of this many UTF-16 units and more; the icon
// then keeps the tooltip it has.
inline constexpr size_t kTooltipLimit = 64;

// The tray menu's items, by what they do.
enum class MainMenuItem {
  Close,         // N1
  Autostart,     // N2
  LanguageMenu,  // N3, the language submenu
  ChineseS,      // N4
  ChineseT,      // N5
  English,       // N6
};
inline constexpr size_t kMainMenuItemCount = 6;

// What the rules ask of a main window's toolkit.
class MainFormView {
 public:
  virtual ~MainFormView() = default;

  virtual void SetMenuCaption(MainMenuItem item, const std::u16string& caption) = 0;
  virtual void SetMenuItemChecked(MainMenuItem item, bool checked) = 0;
  // Only called with a tooltip the tray takes (shorter than kTooltipLimit).
  virtual void SetTrayTooltip(const std::u16string& tooltip) = 0;
  // The menu has just been captioned in the current language: lines of the
  // toolkit's own in the menu follow it.
  virtual void MenuCaptioned() {}

  virtual void ShowLTKeyPopup(const std::u16string& title, const std::u16string& text) = 0;
  virtual void ShowRTModePopup(uint32_t rtMode, const std::u16string& title,
                               const std::u16string& text) = 0;

  // The device steps: the first discovery pass when the window is first
  // shown; at close, switching the devices back out of notification mode,
  // then letting go of the lists of devices switched.
  virtual void DiscoverDevices() = 0;
  virtual void LeaveNotifyModeForRecordedDevices() = 0;
  virtual void ReleaseDeviceLists() = 0;
};

// Start at login: whether the entry is set, and the menu item's toggle,
// which returns whether it is set afterwards and throws when the entry
// cannot be written or removed.
struct AutostartSwitch {
  std::function<bool()> isSet;
  std::function<bool()> toggle;
};
// The entry kAutostartName for the running executable.
AutostartSwitch ProgramAutostart();

class MainFormRules {
 public:
  // Reads `dataFolder` + "Settings.ini" when it exists now: a file made
  // later is never used. The language starts as the system's, English when
  // the menu does not list it. Calls nothing on `view` yet.
  MainFormRules(MainFormView& view, const std::string& dataFolder,
                AutostartSwitch autostart = ProgramAutostart());

  // The settings lookup; `defaultValue` when there is no settings file.
  std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue) const;

  const std::u16string& Language() const { return m_Language; }
  bool IsAutostartChecked() const { return m_AutostartChecked; }
  bool IsClosed() const { return m_Closed; }

  // The tray tooltip in the current language, or nothing when the tray
  // would refuse it.
  std::optional<std::u16string> TrayTooltip() const;

  // Once the toolkit has made its menu: marks the language item and
  // captions the menu.
  void FormCreate();
  // The menu's captions and the tooltip, in the current language.
  void CaptionMenu();
  // The first show only: the discovery pass, then the autostart mark.
  void FormShow();
  // The first close only: the devices are switched back, their lists let go.
  void FormClose();

  // The autostart item: toggles the entry and marks the item as it is now;
  // on failure throws and leaves the mark as it was.
  void N2Click();
  // The language item with `tag` (0 English, 1 Simplified Chinese,
  // 2 Traditional Chinese; English for any other): the only one marked, and
  // the menu captioned in its language.
  void LanguageClick(int tag);
  static MainMenuItem LanguageItem(int tag);

  // The notification texts for a device event's value, handed to the popup
  // that shows them; a value without texts shows nothing.
  void ShowRTModeHint(uint32_t rtMode) { ShowHint(RTModeHintRecipe(rtMode)); }
  void ShowLTKeyHint(uint32_t ltKeyState) { ShowHint(LTKeyHintRecipe(ltKeyState)); }
  void ShowCPIHint(uint32_t cpiLevel) { ShowHint(CPIHintRecipe(cpiLevel)); }

 private:
  void ShowHint(const std::optional<HintRecipe>& recipe);

  MainFormView& m_View;
  AutostartSwitch m_Autostart;
  std::optional<SettingsFile> m_SettingsIni;
  std::u16string m_Language;
  bool m_Shown = false;
  bool m_Closed = false;
  bool m_AutostartChecked = false;
};
