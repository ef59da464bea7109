#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "app/qt/MainUnit.h"
#include "hid/IO_HID.h"
#include "monitors/monitor_thread.h"
#include "platform/sim/sim_backend.h"
#include "skin/Language_subroutines.h"
#include "tests/app/sample_settings.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    m_DataFolder = m_Root + "/Data/";
    fs::create_directories(m_DataFolder);
    setenv("XDG_CONFIG_HOME", (m_Root + "/config").c_str(), 1);
    SetSystemLanguageIdSource([] { return uint16_t{1033}; });
  }
  void TearDown() override {
    m_Form.reset();
    SetSystemLanguageIdSource({});
  }
  void WriteSettings(const std::string& content) {
    std::ofstream(m_DataFolder + "Settings.ini") << content;
  }
  TMainForm& Create() {
    m_Form = std::make_unique<TMainForm>(nullptr, m_DataFolder);
    m_Form->SetHintPopups({[this](const QString& title, const QString& text) {
                             m_Shown.push_back("LT " + title + " / " + text);
                           },
                           [this](uint32_t mode, const QString& title, const QString& text) {
                             m_Shown.push_back("RT" + QString::number(mode) + " " + title + " / " +
                                               text);
                           }});
    return *m_Form;
  }
  static void ProcessEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  TempDir m_Temp{"corvane-mainform"};
  const std::string m_Root = m_Temp.Folder();
  std::string m_DataFolder;
  std::unique_ptr<TMainForm> m_Form;
  QStringList m_Shown;
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
  EXPECT_EQ(m_Shown, (QStringList{"LT @@ / @@", "RT1 @@ / @@"}));
}

TEST_F(MainFormTest, SettingsFileCreatedAfterStartIsNotUsed) {
  TMainForm& form = Create();
  WriteSettings(kSettings);
  form.ShowLTKeyHint(0);
  EXPECT_EQ(m_Shown, (QStringList{"LT @@ / @@"}));
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
  EXPECT_EQ(m_Shown, (QStringList{"LT Mouse CPI / CPI 400", "RT1 RT Mode / Standard",
                                  "RT2 RT Mode / Rapid Trigger", "LT LT Key / @@"}));

  // A language without RT1 shows "@@", although "Default" has one.
  form.LanguageClick(form.N4);
  m_Shown.clear();
  form.ShowRTModeHint(0);
  form.ShowCPIHint(2);
  EXPECT_EQ(m_Shown, (QStringList{"RT1 RT 模式 / @@", "LT 鼠标 CPI / CPI 1600"}));
}

TEST_F(MainFormTest, LanguageClickRecaptionsAndChecksOneItem) {
  WriteSettings(kSettings);
  TMainForm& form = Create();
  form.LanguageClick(form.N4);
  EXPECT_EQ(form.Rules().Language(), u"ChineseS");
  EXPECT_EQ(form.N1->text(), "关闭");
  EXPECT_TRUE(form.N4->isChecked());
  EXPECT_FALSE(form.N6->isChecked());
  EXPECT_FALSE(form.N5->isChecked());
  // Triggering through the menu goes the same way.
  form.N5->trigger();
  EXPECT_EQ(form.Rules().Language(), u"ChineseT");
  EXPECT_TRUE(form.N5->isChecked());
  EXPECT_FALSE(form.N4->isChecked());
  form.N6->trigger();
  EXPECT_EQ(form.Rules().Language(), u"English");
  EXPECT_EQ(form.N1->text(), "Close");
}

TEST_F(MainFormTest, AutostartItemWritesAndRemovesTheEntry) {
  TMainForm& form = Create();
  const fs::path entry = m_Root + "/config/autostart/CorvaneNotification.desktop";
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
  fs::create_directories(m_Root + "/config");
  std::ofstream(m_Root + "/config/autostart") << "in the way";
  testing::internal::CaptureStderr();
  form.N2->trigger();
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("autostart"), std::string::npos) << report;
  EXPECT_FALSE(form.N2->isChecked());
}

// A removal that fails is reported as a failed write is, and the mark stays:
// the entry still starts the program at login.
TEST_F(MainFormTest, FailedAutostartRemovalIsReportedAndKeepsTheMark) {
  TMainForm& form = Create();
  form.N2->trigger();
  ASSERT_TRUE(form.N2->isChecked());
  // What the desktop would take for the entry, and unlink cannot remove.
  const fs::path entry = m_Root + "/config/autostart/CorvaneNotification.desktop";
  fs::remove(entry);
  fs::create_directories(entry / "inside");
  testing::internal::CaptureStderr();
  form.N2->trigger();
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("Cannot write the autostart entry"), std::string::npos) << report;
  EXPECT_TRUE(form.N2->isChecked());
  EXPECT_TRUE(fs::is_directory(entry));
}

// The mark set when the window is first shown follows what lies at the
// entry's name; one click then turns it the other way, writing the
// program's own entry over one the desktop would not start; a folder at the
// name cannot be removed, so its mark stays.
TEST_F(MainFormTest, AutostartMarkAtStartFollowsTheEntry) {
  const std::string folder = m_Root + "/config/autostart";
  const std::string entry = folder + "/CorvaneNotification.desktop";
  const auto writeEntry = [&](const std::string& content) {
    fs::create_directories(folder);
    std::ofstream(entry) << content;
  };
  struct Case {
    const char* what;
    std::function<void()> make;
    bool checked;
    bool clickTurnsIt = true;
  } cases[] = {
      {"none", [] {}, false},
      {"the program's own",
       [&] { writeEntry("[Desktop Entry]\nType=Application\nExec=\"/usr/bin/corvane\"\n"); }, true},
      {"another program's", [&] { writeEntry("[Desktop Entry]\nExec=/opt/other --x\n"); }, true},
      {"hidden", [&] { writeEntry("[Desktop Entry]\nExec=/opt/other\nHidden=true\n"); }, false},
      {"disabled in GNOME",
       [&] { writeEntry("[Desktop Entry]\nExec=/opt/other\nX-GNOME-Autostart-enabled=false\n"); },
       false},
      {"not a file", [&] { fs::create_directories(entry); }, true, false},
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

    testing::internal::CaptureStderr();
    form.N2->trigger();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(form.N2->isChecked(), c.clickTurnsIt ? !c.checked : c.checked);
    if (!c.checked) {
      std::ifstream written(entry);
      const std::string content(std::istreambuf_iterator<char>(written), {});
      EXPECT_NE(content.find("X-GNOME-Autostart-enabled=true"), std::string::npos) << content;
      EXPECT_EQ(content.find("Hidden=true"), std::string::npos) << content;
    }
    m_Form.reset();
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
  form.showNormal();
  ProcessEvents();
  EXPECT_FALSE(form.isVisible());
}

// Counts the times a widget is shown.
class ShowCounter : public QObject {
 public:
  int shows = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shows;
    return false;
  }
};

TEST_F(MainFormTest, ClicksOnTheTrayIconShowNoWindow) {
  TMainForm& form = Create();
  form.showMinimized();
  ProcessEvents();
  ShowCounter counter;
  form.installEventFilter(&counter);
  for (const auto reason :
       {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick}) {
    emit form.CTrayIcon1->activated(reason);
    ProcessEvents();
    EXPECT_FALSE(form.isVisible()) << reason;
  }
  EXPECT_EQ(counter.shows, 0);
  form.removeEventFilter(&counter);
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

// The main window on simulated devices: what an arrival does, and what
// closing does to the devices a pass switched on.
class MainFormDevicesTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    HidSetBackend(m_Sim);
    fs::create_directories(m_DataFolder + "Product");
    std::ofstream(m_DataFolder + "Product/Model.txt") << "[Cafe]\nKeyboard=0x1A20,0x1A24\n";
  }
  void TearDown() override {
    MainFormTest::TearDown();  // the window stops the monitors it started
    EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(0, std::chrono::seconds(30)));
    HidSetBackend(nullptr);
  }
  void Deliver(TMainForm& form, uint64_t event, const std::string& path) {
    auto broadcast =
        std::make_shared<const DeviceBroadcast>(DeviceBroadcast{DBT_DEVTYP_DEVICEINTERFACE, path});
    Message message{WM_DEVICECHANGE, event, reinterpret_cast<intptr_t>(broadcast.get()), 0,
                    broadcast};
    form.MainWindowProc(message);
  }
  size_t Commands(uint8_t byte8) const {
    const auto log = m_Sim->FeatureLog();
    return std::count_if(log.begin(), log.end(), [&](const SimFeatureRecord& r) {
      return r.kind == SimFeatureRecord::Kind::Set && r.bytes.size() > 8 && r.bytes[1] == 0x09 &&
             r.bytes[8] == byte8;
    });
  }
  std::string VendorPath(const std::string& name) const {
    for (const std::string& path : m_Sim->PathsOf(name)) {
      if (m_Sim->QueryInterface(path)->usagePage >= 0xFF00) return path;
    }
    return {};
  }

  std::shared_ptr<SimBackend> m_Sim = std::make_shared<SimBackend>();
};

TEST_F(MainFormDevicesTest, ArrivalsSetTheLabelAndRunAPassOnlyForSupportedDevices) {
  struct Case {
    const char* what;
    SimDeviceSpec device;  // plugged before the arrival is delivered
    bool vendorPath;       // the arrival names its vendor collection
    uint64_t event;
    bool closedBefore;
    bool labelSet;
    size_t enterCommands;
  } cases[] = {
      {"foreign device", SimForeign("x"), false, DBT_DEVICEARRIVAL, false, true, 0},
      {"unknown path", SimForeign("x"), false, DBT_DEVICEARRIVAL, false, false, 0},
      {"keyboard", SimKeyboard("x"), true, DBT_DEVICEARRIVAL, false, true, 1},
      {"flash keyboard", SimFlashKeyboard("x"), true, DBT_DEVICEARRIVAL, false, true, 1},
      {"keyboard's boot collection", SimKeyboard("x"), false, DBT_DEVICEARRIVAL, false, true, 0},
      {"removal", SimKeyboard("x"), true, DBT_DEVICEREMOVECOMPLETE, false, false, 0},
      {"arrival after close", SimKeyboard("x"), true, DBT_DEVICEARRIVAL, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TMainForm& form = Create();
    m_Sim->Plug(c.device);
    std::string path = c.vendorPath ? VendorPath("x") : m_Sim->PathsOf("x").front();
    if (std::string(c.what) == "unknown path") path = "/dev/hidraw-sim/9#0003:6B21:0011.0099";
    if (c.closedBefore) form.close();
    m_Sim->ClearFeatureLog();

    Deliver(form, c.event, path);
    EXPECT_EQ(form.lb_Device->text(), c.labelSet ? QString::fromUtf8("裝置連線") : QString());
    EXPECT_EQ(Commands(0x01), c.enterCommands);
    EXPECT_EQ(form.ModeDevices().size(), c.enterCommands);
    m_Form.reset();
    m_Sim->Unplug("x");
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, std::chrono::seconds(30)));
  }
}

TEST_F(MainFormDevicesTest, ClosingTwiceSwitchesEachDeviceBackOnce) {
  m_Sim->Plug(SimKeyboard("kb1"));
  TMainForm& form = Create();
  Deliver(form, DBT_DEVICEARRIVAL, VendorPath("kb1"));
  ASSERT_EQ(Commands(0x01), 1u);
  form.close();
  form.close();
  EXPECT_EQ(Commands(0x00), 1u);
  EXPECT_FALSE(m_Sim->InNotificationMode("kb1"));
}

}  // namespace

namespace {

SimDeviceSpec Denied(SimDeviceSpec spec) {
  spec.accessDenied = true;
  return spec;
}

// The menu's lines above its items that no one can choose.
QStringList NoticeLines(const TMainForm& form) {
  QStringList lines;
  for (const QAction* item : form.TrayMenu()->actions()) {
    if (!item->isEnabled() && !item->isSeparator()) lines << item->text();
  }
  return lines;
}

std::string NodeOf(const SimBackend& sim, const std::string& name) {
  return sim.PathsOf(name).front().substr(0, sim.PathsOf(name).front().find_first_of("&#"));
}

}  // namespace

TEST_F(MainFormDevicesTest, DevicesTheUserMayNotOpenAreNamedOnceInTheMenuAndOnStandardError) {
  WriteSettings("[ChineseS]\nPopMenu1=关闭\n");
  TMainForm& form = Create();
  m_Sim->Plug(Denied(SimKeyboard("kb")));  // several collections, each refused
  m_Sim->Plug(Denied(SimEs2862("es")));    // refused to its monitor's thread
  m_Sim->Plug(SimMouse("m"));              // opens as it should
  const QString kb = QString::fromStdString(NodeOf(*m_Sim, "kb"));
  const QString es = QString::fromStdString(NodeOf(*m_Sim, "es"));
  testing::internal::CaptureStderr();
  form.showMinimized();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (NoticeLines(form).size() < 3 && std::chrono::steady_clock::now() < deadline) {
    ProcessEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // Late duplicates from the keyboard's other collections would show here.
  for (int i = 0; i < 20; ++i) ProcessEvents();
  const std::string said = testing::internal::GetCapturedStderr();

  const QStringList lines = NoticeLines(form);
  ASSERT_EQ(lines.size(), 3) << lines.join(" | ").toStdString();
  EXPECT_TRUE(lines.contains(QString("No access to USB Device (%1)").arg(kb), Qt::CaseInsensitive))
      << lines.join(" | ").toStdString();
  EXPECT_TRUE(lines.filter(QString("No access to")).filter(es).size() == 1);
  EXPECT_TRUE(lines.last().startsWith("Install the udev rule"));
  EXPECT_EQ(form.TrayMenu()->actions().at(3)->isSeparator(), true);
  // One line each on standard error, with what to do.
  const QString text = QString::fromLocal8Bit(said.c_str());
  EXPECT_EQ(text.count("No access to"), 2) << said;
  EXPECT_EQ(text.count(kb + ")"), 1) << said;
  EXPECT_EQ(text.count("sudo udevadm control --reload && sudo udevadm trigger"), 2) << said;
  EXPECT_FALSE(text.contains(QString::fromStdString(NodeOf(*m_Sim, "m")) + ")")) << said;

  // In the menu's language.
  form.LanguageClick(form.N4);
  EXPECT_EQ(NoticeLines(form).filter(QString::fromUtf8("无法访问")).size(), 2);

  // Unplugged, a device's line goes; the last one takes the fix line along.
  for (const char* name : {"kb", "es"}) {
    const std::vector<std::string> paths = m_Sim->PathsOf(name);
    m_Sim->Unplug(name);
    for (const std::string& path : paths) Deliver(form, DBT_DEVICEREMOVECOMPLETE, path);
  }
  EXPECT_TRUE(NoticeLines(form).isEmpty()) << NoticeLines(form).join(" | ").toStdString();
  EXPECT_FALSE(form.TrayMenu()->actions().first()->isSeparator());
}
