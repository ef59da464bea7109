// The tray icon and its menu, used the way a user does: with the mouse on
// the icon and the keyboard in the menu.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_fixture.h"

using namespace std::chrono_literals;

namespace {

struct MenuCaptions {
  std::string language;
  std::string startAtLogin;
  std::string close;
};

const MenuCaptions kEnglish{"Language", "Start at login", "Close"};
const MenuCaptions kChineseS{"语言", "开机启动", "关闭"};

class TrayMenuTest : public WholeProgramTest {
 protected:
  void StartAndFindIcon(const std::string& lang = "en_US.UTF-8") {
    m_Program = StartProgram(lang);
    ASSERT_TRUE(m_Program->Started());
    m_Icon = WaitForTrayIcon(*m_Program);
    ASSERT_NE(m_Icon, 0u) << "no icon of the program in the tray";
  }

  // The program's windows on screen outside the tray: its open menus.
  std::vector<xcb_window_t> OpenMenus(const ChildProcess& process) {
    std::vector<xcb_window_t> menus;
    const xcb_window_t host = m_Session.TrayHost();
    for (const xcb_window_t window : Probe().WindowsOfPid(static_cast<uint32_t>(process.Pid()))) {
      if (Probe().IsViewable(window) && !Probe().IsDescendantOf(window, host)) {
        menus.push_back(window);
      }
    }
    return menus;
  }

  // Right-clicks the icon's centre; the menu window once it is open.
  xcb_window_t OpenTrayMenu() {
    const auto icon = Probe().RootGeometry(m_Icon);
    if (!icon) return 0;
    m_Cursor = {icon->x + icon->width / 2, icon->y + icon->height / 2};
    m_Session.Tool({"xdotool", "mousemove", std::to_string(m_Cursor.first),
                    std::to_string(m_Cursor.second), "click", "3"});
    std::vector<xcb_window_t> menus;
    WaitUntil([&] { return !(menus = OpenMenus(*m_Program)).empty(); }, 30s);
    // Let the menu finish painting before anyone looks at it.
    std::this_thread::sleep_for(300ms);
    return menus.empty() ? 0 : menus.front();
  }

  void Keys(std::vector<std::string> keys) {
    std::vector<std::string> argv{"xdotool", "key", "--delay", "120"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    m_Session.Tool(argv);
    std::this_thread::sleep_for(300ms);
  }

  // Opens a menu built with `captions` by the reference tool and grabs it.
  std::optional<Screenshot> ReferenceMenu(const MenuCaptions& captions) {
    ChildOptions options = m_Session.ProgramOptions();
    options.captureStdout = true;
    auto reference = m_Session.Launch({Executable("corvane-e2e-menu-reference"), captions.language,
                                       captions.startAtLogin, captions.close},
                                      options);
    if (!reference->WaitForLine([](const std::string& l) { return l == "shown"; }, 30s)) {
      return std::nullopt;
    }
    const auto menus = OpenMenus(*reference);
    if (menus.empty()) return std::nullopt;
    const auto area = Probe().RootGeometry(menus.front());
    return area ? Probe().Grab(*area) : std::nullopt;
  }

  // The menu on screen shows `captions` when it looks like the reference
  // menu built with them: same size, and nearly every pixel the same (the
  // pointer may light up an item's edge).
  void ExpectMenuShows(xcb_window_t menu, const MenuCaptions& captions) {
    const auto area = Probe().RootGeometry(menu);
    ASSERT_TRUE(area);
    const auto shown = Probe().Grab(*area);
    ASSERT_TRUE(shown);
    Keys({"Escape"});
    const auto reference = ReferenceMenu(captions);
    ASSERT_TRUE(reference) << "the reference menu did not open";
    ASSERT_EQ(shown->area.width, reference->area.width) << captions.language;
    ASSERT_EQ(shown->area.height, reference->area.height) << captions.language;
    size_t same = 0;
    for (size_t i = 0; i < shown->pixels.size(); ++i)
      same += shown->pixels[i] == reference->pixels[i];
    EXPECT_GE(same * 100, shown->pixels.size() * 97)
        << "the menu does not read " << captions.language << " / " << captions.startAtLogin << " / "
        << captions.close;
  }

  std::string AutostartEntry() const {
    return m_Session.ConfigHome() + "/autostart/CorvaneNotification.desktop";
  }

  std::unique_ptr<ChildProcess> m_Program;
  xcb_window_t m_Icon = 0;
  std::pair<int, int> m_Cursor;
};

TEST_F(TrayMenuTest, RightClickOpensTheMenuAtTheCursorInTheSystemLanguage) {
  StartAndFindIcon();
  const xcb_window_t menu = OpenTrayMenu();
  ASSERT_NE(menu, 0u) << "no menu after a right-click on the icon";
  const auto area = Probe().RootGeometry(menu);
  ASSERT_TRUE(area);
  // The menu opens at the cursor, kept inside the work area: near the
  // screen's bottom-right corner its nearest corner is close to the cursor.
  const auto workArea = Probe().WorkArea();
  ASSERT_TRUE(workArea);
  EXPECT_GE(area->x, workArea->x);
  EXPECT_GE(area->y, workArea->y);
  EXPECT_LE(area->x + area->width, workArea->x + workArea->width);
  EXPECT_LE(area->y + area->height, workArea->y + workArea->height);
  const int dx = std::min(std::abs(area->x - m_Cursor.first),
                          std::abs(area->x + area->width - m_Cursor.first));
  const int dy = std::min(std::abs(area->y - m_Cursor.second),
                          std::abs(area->y + area->height - m_Cursor.second));
  EXPECT_LE(dx, 24) << "menu at x=" << area->x << " w=" << area->width << ", cursor at "
                    << m_Cursor.first;
  EXPECT_LE(dy, 24) << "menu at y=" << area->y << " h=" << area->height << ", cursor at "
                    << m_Cursor.second;
  ExpectMenuShows(menu, kEnglish);
}

TEST_F(TrayMenuTest, ChoosingSimplifiedChineseRecaptionsTheMenu) {
  StartAndFindIcon();
  ASSERT_NE(OpenTrayMenu(), 0u);
  // Language ▸ the second item, 简体中文.
  Keys({"Down", "Right", "Down", "Return"});
  ASSERT_TRUE(WaitUntil([&] { return OpenMenus(*m_Program).empty(); }, 30s));
  const xcb_window_t menu = OpenTrayMenu();
  ASSERT_NE(menu, 0u);
  ExpectMenuShows(menu, kChineseS);
}

TEST_F(TrayMenuTest, SimplifiedChineseSystemStartsWithChineseCaptions) {
  StartAndFindIcon("zh_CN.UTF-8");
  const xcb_window_t menu = OpenTrayMenu();
  ASSERT_NE(menu, 0u);
  ExpectMenuShows(menu, kChineseS);
}

TEST_F(TrayMenuTest, StartAtLoginWritesAndRemovesTheAutostartEntry) {
  StartAndFindIcon();
  ASSERT_NE(OpenTrayMenu(), 0u);
  Keys({"Down", "Down", "Return"});
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(AutostartEntry()); }, 30s))
      << AutostartEntry() << " was not written";
  std::ifstream entry(AutostartEntry());
  std::stringstream content;
  content << entry.rdbuf();
  const std::string executable =
      std::filesystem::canonical(Executable("corvane-notification")).string();
  EXPECT_NE(content.str().find("Exec=\"" + executable + "\"\n"), std::string::npos)
      << content.str();
  EXPECT_NE(content.str().find("Type=Application"), std::string::npos) << content.str();

  ASSERT_NE(OpenTrayMenu(), 0u);
  Keys({"Down", "Down", "Return"});
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(AutostartEntry()); }, 30s))
      << "the second click left " << AutostartEntry();
}

TEST_F(TrayMenuTest, CloseEndsTheProgramWithCodeZeroAndRemovesTheIcon) {
  StartAndFindIcon();
  ASSERT_NE(OpenTrayMenu(), 0u);
  Keys({"Up", "Return"});  // the last item
  const auto code = m_Program->WaitForExit(30s);
  ASSERT_TRUE(code.has_value()) << "the program still runs after Close";
  EXPECT_EQ(*code, 0);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconOf(*m_Program) == 0; }, 30s));
  EXPECT_TRUE(Probe().WindowsOfPid(static_cast<uint32_t>(m_Program->Pid())).empty());
}

}  // namespace
