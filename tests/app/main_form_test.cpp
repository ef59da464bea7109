#include "app/MainUnit.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "skin/Language_subroutines.h"
#include "tests/qt_test_app.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSettings = R"(
[english]
PopMenu1=Close
PopMenu2=Start at login
PopMenu3=Language
Hint=Corvane
LT_Title=LT Key
CPI_Title=Mouse CPI
RT_Title=RT Mode
RT1=Standard
[ChineseS]
PopMenu1=关闭
PopMenu2=开机启动
PopMenu3=语言
CPI_Title=鼠标 CPI
RT_Title=RT 模式
[ChineseT]
PopMenu1=
PopMenu2=開機啟動
PopMenu3=語言
[Default]
LT1=OFF
RT1=not the language's
RT2=Rapid Trigger
CPI1=CPI 400
CPI3=CPI 1600
)";

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    char pattern[] = "/tmp/corvane-mainform-XXXXXX";
    root_ = mkdtemp(pattern);
    dataFolder_ = root_ + "/Data/";
    fs::create_directories(dataFolder_);
    setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    SetSystemLanguageIdSource([] { return uint16_t{1033}; });
  }
  void TearDown() override {
    form_.reset();
    SetSystemLanguageIdSource({});
    fs::remove_all(root_);
  }
  void WriteSettings(const std::string& content) {
    std::ofstream(dataFolder_ + "Settings.ini") << content;
  }
  TMainForm& Create() {
    form_ = std::make_unique<TMainForm>(nullptr, dataFolder_);
    form_->SetHintPopups(
        {[this](const QString& title, const QString& text) { shown_.push_back("LT " + title + " / " + text); },
         [this](uint32_t mode, const QString& title, const QString& text) {
           shown_.push_back("RT" + QString::number(mode) + " " + title + " / " + text);
         }});
    return *form_;
  }
  static void ProcessEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  std::string root_;
  std::string dataFolder_;
  std::unique_ptr<TMainForm> form_;
  QStringList shown_;
};

TEST_F(MainFormTest, MenuIsCaptionedFromTheSystemLanguageSection) {
  WriteSettings(kSettings);
  struct Case {
    uint16_t systemLanguage;
    const char* checked;
    const char* close;
    const char* autostart;
    const char* language;
  } cases[] = {
      // the section written in lower case still matches
      {1033, "English", "Close", "Start at login", "Language"},
      // German has no item: English is checked and used
      {1031, "English", "Close", "Start at login", "Language"},
      {2052, "简体中文", "关闭", "开机启动", "语言"},
      // an empty value is an empty caption, not "@@"
      {1028, "繁體中文", "", "開機啟動", "語言"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.systemLanguage);
    SetSystemLanguageIdSource([id = c.systemLanguage] { return id; });
    TMainForm& form = Create();
    int checkedCount = 0;
    for (QAction* item : {form.N6, form.N4, form.N5}) {
      if (item->isChecked()) {
        ++checkedCount;
        EXPECT_EQ(item->text(), QString::fromUtf8(c.checked));
      }
    }
    EXPECT_EQ(checkedCount, 1);
    EXPECT_EQ(form.N1->text(), QString::fromUtf8(c.close));
    EXPECT_EQ(form.N2->text(), QString::fromUtf8(c.autostart));
    EXPECT_EQ(form.N3->title(), QString::fromUtf8(c.language));
  }
}

TEST_F(MainFormTest, WithoutSettingsEveryCaptionAndTextIsTheDefault) {
  TMainForm& form = Create();
  EXPECT_EQ(form.N1->text(), "@@");
  EXPECT_EQ(form.N2->text(), "@@");
  EXPECT_EQ(form.N3->title(), "@@");
  EXPECT_EQ(form.CTrayIcon1->toolTip(), "");
  EXPECT_EQ(form.N6->text(), "English");
  EXPECT_EQ(form.N4->text(), "简体中文");
  EXPECT_EQ(form.N5->text(), "繁體中文");
  form.ShowCPIHint(0);
  form.ShowRTModeHint(0);
  EXPECT_EQ(shown_, (QStringList{"LT @@ / @@", "RT1 @@ / @@"}));
}

TEST_F(MainFormTest, SettingsFileCreatedAfterStartIsNotUsed) {
  TMainForm& form = Create();
  WriteSettings(kSettings);
  form.ShowLTKeyHint(0);
  EXPECT_EQ(shown_, (QStringList{"LT @@ / @@"}));
}

TEST_F(MainFormTest, NotificationTextsComeFromLanguageAndDefaultSections) {
  WriteSettings(kSettings);
  TMainForm& form = Create();
  form.ShowCPIHint(0);
  form.ShowRTModeHint(0);  // RT1 from the language section
  form.ShowRTModeHint(1);  // RT2 from "Default"
  form.ShowLTKeyHint(5);   // LT6 missing
  form.ShowLTKeyHint(6);   // out of range: nothing
  form.ShowRTModeHint(3);  // out of range: nothing
  EXPECT_EQ(shown_, (QStringList{"LT Mouse CPI / CPI 400", "RT1 RT Mode / Standard",
                                 "RT2 RT Mode / Rapid Trigger", "LT LT Key / @@"}));

  // A language without RT1 shows "@@", although "Default" has one.
  form.LanguageClick(form.N4);
  shown_.clear();
  form.ShowRTModeHint(0);
  form.ShowCPIHint(2);
  EXPECT_EQ(shown_, (QStringList{"RT1 RT 模式 / @@", "LT 鼠标 CPI / CPI 1600"}));
}

TEST_F(MainFormTest, LanguageClickRecaptionsAndChecksOneItem) {
  WriteSettings(kSettings);
  TMainForm& form = Create();
  form.LanguageClick(form.N4);
  EXPECT_EQ(form.Language(), u"ChineseS");
  EXPECT_EQ(form.N1->text(), "关闭");
  EXPECT_TRUE(form.N4->isChecked());
  EXPECT_FALSE(form.N6->isChecked());
  EXPECT_FALSE(form.N5->isChecked());
  // Triggering through the menu goes the same way.
  form.N5->trigger();
  EXPECT_EQ(form.Language(), u"ChineseT");
  EXPECT_TRUE(form.N5->isChecked());
  EXPECT_FALSE(form.N4->isChecked());
  form.N6->trigger();
  EXPECT_EQ(form.Language(), u"English");
  EXPECT_EQ(form.N1->text(), "Close");
}

TEST_F(MainFormTest, AutostartItemWritesAndRemovesTheEntry) {
  TMainForm& form = Create();
  const fs::path entry = root_ + "/config/autostart/CorvaneNotification.desktop";
  form.N2->trigger();
  EXPECT_TRUE(fs::exists(entry));
  EXPECT_TRUE(form.N2->isChecked());
  form.N2->trigger();
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_FALSE(form.N2->isChecked());
}

TEST_F(MainFormTest, FailedAutostartWriteIsReportedAndKeepsTheMark) {
  TMainForm& form = Create();
  // A file where the autostart folder belongs makes the write fail.
  fs::create_directories(root_ + "/config");
  std::ofstream(root_ + "/config/autostart") << "in the way";
  testing::internal::CaptureStderr();
  form.N2->trigger();
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("autostart"), std::string::npos) << report;
  EXPECT_FALSE(form.N2->isChecked());
}

// The mark set when the window is first shown follows what lies at the
// entry's name; one click then turns it the other way, writing the
// program's own entry over one the desktop would not start.
TEST_F(MainFormTest, AutostartMarkAtStartFollowsTheEntry) {
  const std::string folder = root_ + "/config/autostart";
  const std::string entry = folder + "/CorvaneNotification.desktop";
  const auto writeEntry = [&](const std::string& content) {
    fs::create_directories(folder);
    std::ofstream(entry) << content;
  };
  struct Case {
    const char* what;
    std::function<void()> make;
    bool checked;
  } cases[] = {
      {"none", [] {}, false},
      {"the program's own",
       [&] { writeEntry("[Desktop Entry]\nType=Application\nExec=\"/usr/bin/corvane\"\n"); },
       true},
      {"another program's", [&] { writeEntry("[Desktop Entry]\nExec=/opt/other --x\n"); }, true},
      {"hidden", [&] { writeEntry("[Desktop Entry]\nExec=/opt/other\nHidden=true\n"); }, false},
      {"disabled in GNOME",
       [&] { writeEntry("[Desktop Entry]\nExec=/opt/other\nX-GNOME-Autostart-enabled=false\n"); },
       false},
      {"not a file", [&] { fs::create_directories(entry); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    c.make();
    std::error_code error;
    const auto typeBefore = fs::symlink_status(entry, error).type();
    TMainForm& form = Create();
    form.showMinimized();
    ProcessEvents();
    EXPECT_EQ(form.N2->isChecked(), c.checked);
    EXPECT_EQ(fs::symlink_status(entry, error).type(), typeBefore) << "changed without a click";

    form.N2->trigger();
    EXPECT_EQ(form.N2->isChecked(), !c.checked);
    if (!c.checked) {
      std::ifstream written(entry);
      const std::string content(std::istreambuf_iterator<char>(written), {});
      EXPECT_NE(content.find("X-GNOME-Autostart-enabled=true"), std::string::npos) << content;
      EXPECT_EQ(content.find("Hidden=true"), std::string::npos) << content;
    }
    form_.reset();
  }
}

// The tray refuses tooltips of 64 characters and more: such a value leaves
// the tooltip as it was, whichever language brought it. The file is read at
// every lookup, so each step writes the value its language is to find.
TEST_F(MainFormTest, TooltipOfSixtyFourCharactersOrMoreKeepsThePreviousOne) {
  WriteSettings("[English]\nHint=Corvane\n");
  TMainForm& form = Create();
  EXPECT_EQ(form.CTrayIcon1->toolTip(), "Corvane");
  const QString sixtyThree(63, QChar(u'語'));
  struct Step {
    QAction* item;
    const char* section;
    QString hint;
    QString tooltip;
  } steps[] = {
      {form.N4, "ChineseS", QString(64, QChar(u'简')), "Corvane"},
      {form.N5, "ChineseT", sixtyThree, sixtyThree},
      {form.N6, "English", QString(100, QChar(u'x')), sixtyThree},
      {form.N4, "ChineseS", "", ""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.section);
    WriteSettings(std::string("[") + step.section + "]\nHint=" + step.hint.toStdString() + "\n");
    form.LanguageClick(step.item);
    EXPECT_EQ(form.CTrayIcon1->toolTip(), step.tooltip);
  }
}

TEST_F(MainFormTest, ShownWindowIsHiddenAgain) {
  TMainForm& form = Create();
  form.showMinimized();
  ProcessEvents();
  EXPECT_FALSE(form.isVisible());
  form.showNormal();  // what a double-click on the tray icon does
  ProcessEvents();
  EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, MessagesPostedFromOtherThreadsArriveInOrder) {
  TMainForm& form = Create();
  std::vector<uint32_t> seen;
  form.SetMessageTrace([&](const Message& m) { seen.push_back(static_cast<uint32_t>(m.wParam)); });
  std::thread poster([&] {
    for (uint32_t i = 0; i < 100; ++i) {
      form.Poster().Post(Message{UM_LT_KEY, i, 0, 0, nullptr});
    }
  });
  poster.join();
  ProcessEvents();
  ASSERT_EQ(seen.size(), 100u);
  for (uint32_t i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

}  // namespace
