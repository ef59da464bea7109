// The main window's rules on a view that records what it is asked to do:
// the menu's captions and marks, the tooltip, the notification texts, the
// autostart mark and the show and close steps, for both toolkits at once.
#include "app/main_form_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "skin/Language_subroutines.h"
#include "tests/app/sample_settings.h"
#include "tests/support/temp_dir.h"

namespace {

using Calls = std::vector<std::u16string>;

std::u16string NameOf(MainMenuItem item) {
  switch (item) {
    case MainMenuItem::Close:
      return u"Close";
    case MainMenuItem::Autostart:
      return u"Autostart";
    case MainMenuItem::LanguageMenu:
      return u"LanguageMenu";
    case MainMenuItem::ChineseS:
      return u"ChineseS";
    case MainMenuItem::ChineseT:
      return u"ChineseT";
    case MainMenuItem::English:
      return u"English";
  }
  return u"?";
}

class RecordingView : public MainFormView {
 public:
  Calls calls;

  void SetMenuCaption(MainMenuItem item, const std::u16string& caption) override {
    calls.push_back(NameOf(item) + u"=" + caption);
  }
  void SetMenuItemChecked(MainMenuItem item, bool checked) override {
    calls.push_back((checked ? u"check " : u"uncheck ") + NameOf(item));
  }
  void SetTrayTooltip(const std::u16string& tooltip) override {
    calls.push_back(u"tooltip " + tooltip);
  }
  void MenuCaptioned() override { calls.push_back(u"captioned"); }
  void ShowLTKeyPopup(const std::u16string& title, const std::u16string& text) override {
    calls.push_back(u"LT " + title + u" / " + text);
  }
  void ShowRTModePopup(uint32_t rtMode, const std::u16string& title,
                       const std::u16string& text) override {
    calls.push_back(u"RT" + std::u16string(1, static_cast<char16_t>(u'0' + rtMode)) + u" " + title +
                    u" / " + text);
  }
  void DiscoverDevices() override { calls.push_back(u"discover"); }
  void LeaveNotifyModeForRecordedDevices() override { calls.push_back(u"leave"); }
  void ReleaseDeviceLists() override { calls.push_back(u"release"); }

  // The calls since the last look.
  Calls Take() { return std::exchange(calls, {}); }
};

// A start-at-login entry in memory; a toggle can be made to fail.
struct FakeAutostart {
  bool set = false;
  bool failing = false;
  int toggles = 0;

  AutostartSwitch Switch() {
    return {[this] { return set; },
            [this] {
              ++toggles;
              if (failing) throw std::runtime_error("Cannot write the autostart entry");
              set = !set;
              return set;
            }};
  }
};

class MainFormRulesTest : public testing::Test {
 protected:
  void SetUp() override { UseSystemLanguage(1033); }
  void TearDown() override { SetSystemLanguageIdSource({}); }

  static void UseSystemLanguage(uint16_t id) {
    SetSystemLanguageIdSource([id] { return id; });
  }
  void WriteSettings(const std::string& content) {
    std::ofstream(m_Temp.Path() / "Settings.ini", std::ios::binary) << content;
  }
  // Rules on the data folder as it is now, their menu made and captioned.
  MainFormRules& Create() {
    m_Rules.emplace(m_View, m_Temp.Folder() + "/", m_Autostart.Switch());
    m_Rules->FormCreate();
    return *m_Rules;
  }

  TempDir m_Temp{"corvane-rules"};
  RecordingView m_View;
  FakeAutostart m_Autostart;
  std::optional<MainFormRules> m_Rules;
};

TEST_F(MainFormRulesTest, CreatedMenuIsMarkedAndCaptionedInTheSystemLanguage) {
  const struct Case {
    const char* what;
    bool settings;
    uint16_t systemLanguage;
    std::u16string language;
    Calls calls;
  } cases[] = {
      {"the section written in lower case still matches",
       true,
       1033,
       u"English",
       {u"check English", u"Close=Close", u"Autostart=Start at login", u"LanguageMenu=Language",
        u"tooltip Corvane", u"captioned"}},
      {"German has no item: English is marked and used",
       true,
       1031,
       u"English",
       {u"check English", u"Close=Close", u"Autostart=Start at login", u"LanguageMenu=Language",
        u"tooltip Corvane", u"captioned"}},
      {"Simplified Chinese",
       true,
       2052,
       u"ChineseS",
       {u"check ChineseS", u"Close=关闭", u"Autostart=开机启动", u"LanguageMenu=语言",
        u"tooltip Corvane 通知", u"captioned"}},
      {"an empty value is an empty caption, not @@; no hint is an empty tooltip",
       true,
       1028,
       u"ChineseT",
       {u"check ChineseT", u"Close=", u"Autostart=開機啟動", u"LanguageMenu=語言", u"tooltip ",
        u"captioned"}},
      {"without a settings file every caption is @@ and the tooltip empty",
       false,
       2052,
       u"ChineseS",
       {u"check ChineseS", u"Close=@@", u"Autostart=@@", u"LanguageMenu=@@", u"tooltip ",
        u"captioned"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(m_Temp.Path() / "Settings.ini");
    if (c.settings) WriteSettings(kSettings);
    UseSystemLanguage(c.systemLanguage);
    MainFormRules& rules = Create();
    EXPECT_EQ(rules.Language(), c.language);
    EXPECT_EQ(m_View.Take(), c.calls);
  }
}

TEST_F(MainFormRulesTest, LanguageClickMarksOneItemAndRecaptions) {
  WriteSettings(kSettings);
  MainFormRules& rules = Create();
  const struct Step {
    int tag;
    std::u16string language;
    std::u16string checked;
    std::u16string close;
  } steps[] = {
      {1, u"ChineseS", u"check ChineseS", u"Close=关闭"},
      {2, u"ChineseT", u"check ChineseT", u"Close="},
      {0, u"English", u"check English", u"Close=Close"},
      // A tag no item has stands for English.
      {7, u"English", u"check English", u"Close=Close"},
      {-1, u"English", u"check English", u"Close=Close"},
  };
  m_View.Take();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.tag);
    rules.LanguageClick(step.tag);
    EXPECT_EQ(rules.Language(), step.language);
    const Calls calls = m_View.Take();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5),
              (Calls{u"uncheck ChineseS", u"uncheck ChineseT", u"uncheck English", step.checked,
                     step.close}));
    EXPECT_EQ(calls.back(), u"captioned");
  }
}

// The tray refuses tooltips of 64 UTF-16 units and more: such a value sets
// nothing, so the icon keeps the tooltip it had, whichever language brought
// it. The file is read at every lookup, so each step writes the value its
// language is to find.
TEST_F(MainFormRulesTest, TooltipOfSixtyFourUnitsOrMoreIsNotSet) {
  WriteSettings("[English]\nHint=Corvane\n");
  MainFormRules& rules = Create();
  std::u16string sixtyThree;
  for (int i = 0; i < 63; ++i) sixtyThree += u'語';
  // "😀" is two UTF-16 units, as the tray counts it.
  std::string thirtyTwoFaces;
  for (int i = 0; i < 32; ++i) thirtyTwoFaces += "😀";
  const struct Step {
    int tag;
    const char* section;
    std::string hint;
    std::optional<std::u16string> tooltip;
  } steps[] = {
      {1, "ChineseS", std::string(64, 'x'), std::nullopt},
      {2, "ChineseT", "", u""},
      {0, "English", std::string(63, 'y'), std::u16string(63, u'y')},
      {1, "ChineseS", std::string(100, 'z'), std::nullopt},
      {2, "ChineseT",
       [] {
         std::string text;
         for (int i = 0; i < 63; ++i) text += "語";
         return text;
       }(),
       sixtyThree},
      {0, "English", thirtyTwoFaces, std::nullopt},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.section);
    WriteSettings(std::string("[") + step.section + "]\nHint=" + step.hint + "\n");
    m_View.Take();
    rules.LanguageClick(step.tag);
    EXPECT_EQ(rules.TrayTooltip(), step.tooltip);
    const Calls calls = m_View.Take();
    const auto tooltips = std::count_if(calls.begin(), calls.end(), [](const std::u16string& c) {
      return c.starts_with(u"tooltip ");
    });
    if (step.tooltip) {
      EXPECT_EQ(tooltips, 1);
      EXPECT_NE(std::find(calls.begin(), calls.end(), u"tooltip " + *step.tooltip), calls.end());
    } else {
      EXPECT_EQ(tooltips, 0);
    }
  }
}

TEST_F(MainFormRulesTest, NotificationTextsComeFromLanguageAndDefaultSections) {
  const struct Case {
    const char* what;
    bool settings;
    int languageTag;
    Calls calls;
  } cases[] = {
      {"English",
       true,
       0,
       // CPI 0; RT 0 from the language; RT 1 from Default; LT 5 missing;
       // LT 6, RT 3 and CPI 6 show nothing.
       {u"LT Mouse CPI / CPI 400", u"RT1 RT Mode / Standard", u"RT2 RT Mode / Rapid Trigger",
        u"LT LT Key / @@"}},
      {"a language without RT1 shows @@ although Default has one",
       true,
       1,
       {u"LT 鼠标 CPI / CPI 400", u"RT1 RT 模式 / @@", u"RT2 RT 模式 / Rapid Trigger",
        u"LT @@ / @@"}},
      {"without a settings file every text is @@",
       false,
       0,
       {u"LT @@ / @@", u"RT1 @@ / @@", u"RT2 @@ / @@", u"LT @@ / @@"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(m_Temp.Path() / "Settings.ini");
    if (c.settings) WriteSettings(kSettings);
    MainFormRules& rules = Create();
    rules.LanguageClick(c.languageTag);
    m_View.Take();
    rules.ShowCPIHint(0);
    rules.ShowRTModeHint(0);
    rules.ShowRTModeHint(1);
    rules.ShowLTKeyHint(5);
    rules.ShowLTKeyHint(6);
    rules.ShowRTModeHint(3);
    rules.ShowCPIHint(6);
    EXPECT_EQ(m_View.Take(), c.calls);
  }
}

TEST_F(MainFormRulesTest, SettingsFileMadeAfterTheStartIsNotUsed) {
  MainFormRules& rules = Create();
  WriteSettings(kSettings);
  m_View.Take();
  rules.ShowLTKeyHint(0);
  rules.CaptionMenu();
  EXPECT_EQ(m_View.Take(), (Calls{u"LT @@ / @@", u"Close=@@", u"Autostart=@@", u"LanguageMenu=@@",
                                  u"tooltip ", u"captioned"}));
  EXPECT_EQ(rules.ReadString(u"English", u"PopMenu1", u"default"), u"default");
}

// The mark follows the entry when the window is first shown; a click turns
// the entry and the mark; a click that fails is thrown on and changes
// neither.
TEST_F(MainFormRulesTest, AutostartMarkFollowsTheEntry) {
  const struct Case {
    const char* what;
    bool setAtStart;
    bool failing;
    Calls afterClick;
    bool checkedAfterClick;
  } cases[] = {
      {"none, then written", false, false, {u"check Autostart"}, true},
      {"set, then removed", true, false, {u"uncheck Autostart"}, false},
      {"none, and the write fails", false, true, {}, false},
      {"set, and the removal fails", true, true, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_Autostart = FakeAutostart{c.setAtStart, c.failing};
    MainFormRules& rules = Create();
    m_View.Take();
    rules.FormShow();
    EXPECT_EQ(m_View.Take(),
              (Calls{u"discover", c.setAtStart ? u"check Autostart" : u"uncheck Autostart"}));
    EXPECT_EQ(rules.IsAutostartChecked(), c.setAtStart);

    if (c.failing) {
      EXPECT_THROW(rules.N2Click(), std::runtime_error);
    } else {
      rules.N2Click();
    }
    EXPECT_EQ(m_Autostart.toggles, 1);
    EXPECT_EQ(m_View.Take(), c.afterClick);
    EXPECT_EQ(rules.IsAutostartChecked(), c.checkedAfterClick);
    EXPECT_EQ(m_Autostart.set, c.failing ? c.setAtStart : c.checkedAfterClick);
  }
}

// Qt and Windows report a show and a close more than once; the discovery
// pass and switching the devices back happen once each.
TEST_F(MainFormRulesTest, ShowAndCloseStepsRunOnce) {
  MainFormRules& rules = Create();
  m_View.Take();
  EXPECT_FALSE(rules.IsClosed());
  rules.FormShow();
  rules.FormShow();
  rules.FormClose();
  rules.FormClose();
  rules.FormShow();
  EXPECT_TRUE(rules.IsClosed());
  EXPECT_EQ(m_View.Take(), (Calls{u"discover", u"uncheck Autostart", u"leave", u"release"}));
}

}  // namespace
