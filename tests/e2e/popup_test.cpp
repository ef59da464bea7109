// Device events through corvane-simulator, seen on screen: which popup, its
// texts, its place at the bottom-right of the work area (also on a primary
// monitor away from the screen's origin), its outline, the focus it must not
// take, which popup is on top, its timer, and full-screen suppression.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/popup_trace_line.h"

using namespace std::chrono_literals;

namespace {

class PopupTest : public WholeProgramTest {
 protected:
  void SetUp() override {
    WholeProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ArrangeMonitors();
    if (HasFatalFailure()) return;
    // The user's window, active before any popup shows; placed top-left by
    // the window manager, away from the popups' corner.
    m_Window = m_Session.Launch({"xlogo", "-geometry", "200x150+40+40"}, {});
    ASSERT_TRUE(WaitUntil([&] { return WindowOfXlogo() != 0; }, 30s)) << "xlogo did not map";
    m_Session.Tool({"xdotool", "windowactivate", "--sync", std::to_string(WindowOfXlogo())});
    ASSERT_TRUE(WaitUntil([&] { return Probe().ActiveWindow() != 0; }, 30s));
    m_Active = Probe().ActiveWindow();

    m_Simulator = StartSimulator("en_US.UTF-8", m_ProgramEnvironment);
    ASSERT_TRUE(m_Simulator->Started());
    ASSERT_NE(WaitForTrayIcon(*m_Simulator), 0u) << "the simulator's program did not start";
    m_Desktop = Probe().Grab(Probe().ScreenSize());
    ASSERT_TRUE(m_Desktop);
  }

  // Runs before any program of the test starts.
  virtual void ArrangeMonitors() {}

  xcb_window_t WindowOfXlogo() {
    for (const xcb_window_t window : Probe().WindowsNamed("xlogo")) {
      if (Probe().IsViewable(window)) return window;
    }
    return 0;
  }

  // Plugs a device and waits until its discovery pass is over.
  void Plug(const std::string& name, const std::string& kind) {
    const size_t from = m_Simulator->LineCount();
    m_Simulator->Send("plug " + name + " " + kind);
    // An arrival runs a discovery pass; keyboards and mice are switched
    // into notification mode, ES2862 devices get no command.
    if (kind != "es2862") {
      ASSERT_TRUE(m_Simulator->WaitForLine(
          [&](const std::string& l) { return l.starts_with("feature " + name + " 07 09"); }, 30s,
          from))
          << name << " was not switched into notification mode";
      // The monitor opens its device on its own thread and the other
      // interfaces' arrivals are still being handled: a report sent before
      // the monitor reads would be lost, as on a real node.
      WaitUntilTraceQuiet(300ms);
    } else {
      m_Simulator->WaitForLine([](const std::string& l) { return l.starts_with("message 537"); },
                               30s, from);
      std::this_thread::sleep_for(500ms);
    }
  }

  void WaitUntilTraceQuiet(std::chrono::milliseconds quiet) {
    for (size_t count = m_Simulator->LineCount();;) {
      std::this_thread::sleep_for(quiet);
      const size_t now = m_Simulator->LineCount();
      if (now == count) return;
      count = now;
    }
  }

  std::optional<OutputLine> Send(const std::string& command, std::chrono::milliseconds wait,
                                 size_t* from = nullptr) {
    const size_t start = m_Simulator->LineCount();
    if (from != nullptr) *from = start;
    m_Simulator->Send(command);
    return m_Simulator->WaitForLine(IsPopupShow, wait, start);
  }

  // The last popup show from `from` on, once the trace has been quiet for
  // 300 ms.
  OutputLine LastShowOnceQuiet(size_t from) {
    size_t count = 0;
    do {
      count = m_Simulator->LineCount();
      std::this_thread::sleep_for(300ms);
    } while (m_Simulator->LineCount() != count);
    OutputLine last;
    for (const OutputLine& line : m_Simulator->Lines()) {
      if (line.index >= from && IsPopupShow(line.text)) last = line;
    }
    return last;
  }

  std::string TraceFrom(size_t from) {
    std::string text;
    for (const OutputLine& l : m_Simulator->Lines()) {
      if (l.index >= from) text += l.text + "\n";
    }
    return text;
  }

  std::string ProgramWindowsOnScreen() {
    std::string list;
    for (const xcb_window_t w : Probe().WindowsOfPid(static_cast<uint32_t>(m_Simulator->Pid()))) {
      const auto r = Probe().RootGeometry(w);
      if (Probe().IsViewable(w) && r) {
        list += " " + std::to_string(r->x) + "," + std::to_string(r->y) + " " +
                std::to_string(r->width) + "x" + std::to_string(r->height);
      }
    }
    return list;
  }

  struct GrabbedPopup {
    OutputLine line;
    PopupShowLine shown;
    Screenshot screen;
  };

  // Shows the popup of `command` and grabs it from the screen once painted:
  // when two grabs in a row agree and the window is still shown after them.
  // A popup shows for 2 s only; a machine too busy to see it in time sends
  // the same event again, up to three times. A popup that never shows at its
  // traced place gives none.
  std::optional<GrabbedPopup> ShowAndGrab(const std::string& command) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const auto line = Send(command, 30s);
      if (!line) return std::nullopt;
      const auto shown = ParsePopupShow(line->text);
      if (!shown) return std::nullopt;
      const ScreenRect rect{shown->x, shown->y, shown->width, shown->height};
      const auto hidden = [&] { return HiddenSince(*line, shown->popup); };
      WaitUntil([&] { return WindowShownAt(rect) || hidden(); }, 30s);
      std::optional<Screenshot> previous;
      while (!hidden()) {
        std::this_thread::sleep_for(200ms);
        auto screen = Probe().Grab(rect);
        // Still shown after the grab, so shown while it was taken.
        if (!screen || !WindowShownAt(rect)) break;
        if (previous && previous->pixels == screen->pixels) {
          return GrabbedPopup{*line, *shown, std::move(*screen)};
        }
        previous = std::move(screen);
      }
    }
    return std::nullopt;
  }

  // Whether the popup `popup` hid after the trace line `shown`.
  bool HiddenSince(const OutputLine& shown, const std::string& popup) {
    for (const OutputLine& l : m_Simulator->Lines()) {
      if (l.index > shown.index && IsPopupHide(l.text, popup)) return true;
    }
    return false;
  }

  // The program's window at `rect`, on screen; 0 when there is none.
  xcb_window_t WindowAt(const ScreenRect& rect) {
    for (const xcb_window_t w : Probe().WindowsOfPid(static_cast<uint32_t>(m_Simulator->Pid()))) {
      if (Probe().IsViewable(w) && Probe().RootGeometry(w) == rect) return w;
    }
    return 0;
  }
  bool WindowShownAt(const ScreenRect& rect) { return WindowAt(rect) != 0; }

  std::map<std::string, std::optional<std::string>> m_ProgramEnvironment;
  std::unique_ptr<ChildProcess> m_Window;
  std::unique_ptr<ChildProcess> m_Simulator;
  xcb_window_t m_Active = 0;
  std::optional<Screenshot> m_Desktop;
};

struct EventCase {
  const char* name;
  const char* kind;
  const char* command;
  const char* popup;
  const char* title;
  const char* text;
};

const EventCase kEvents[] = {
    {"kb", "keyboard", "lt kb 0", "LTKeyHint", "LT Key", "OFF"},
    {"kb", "keyboard", "lt kb 3", "LTKeyHint", "LT Key", "LT 3"},
    {"kb", "keyboard", "rt kb 0", "RTModeHint", "RT Mode", "Standard"},
    {"kb", "keyboard", "rt kb 2", "RTModeHint", "RT Mode", "Rapid Trigger Pro"},
    {"ms", "mouse", "cpi ms 2", "LTKeyHint", "Mouse CPI", "CPI 1600"},
    {"es", "es2862", "cpi es 4", "LTKeyHint", "Mouse CPI", "CPI 6400"},
};

TEST_F(PopupTest, EachDeviceEventShowsItsPopupAtTheWorkAreaCornerWithoutTakingTheFocus) {
  Plug("kb", "keyboard");
  Plug("ms", "mouse");
  Plug("es", "es2862");
  const auto workArea = Probe().WorkArea();
  ASSERT_TRUE(workArea);
  ASSERT_EQ(workArea->height, Probe().ScreenSize().height - PrivateXSession::kTrayHeight);

  for (const EventCase& event : kEvents) {
    SCOPED_TRACE(event.command);
    const auto grabbed = ShowAndGrab(event.command);
    ASSERT_TRUE(grabbed) << "no window of the program on screen at the traced place for "
                         << event.command << "; on screen: " << ProgramWindowsOnScreen()
                         << "\ntrace:\n"
                         << TraceFrom(0);
    const OutputLine& line = grabbed->line;
    const PopupShowLine& shown = grabbed->shown;
    const Screenshot& screen = grabbed->screen;
    EXPECT_EQ(shown.popup, event.popup);
    EXPECT_EQ(shown.title, event.title);
    EXPECT_EQ(shown.text, event.text);
    // At 96 dpi: one pixel in from the work area's right and bottom edges.
    EXPECT_EQ(shown.x, workArea->width - shown.width - 1);
    EXPECT_EQ(shown.y, workArea->height - shown.height - 1);
    EXPECT_EQ(shown.width, 247);
    EXPECT_EQ(shown.height, 136);

    const ScreenRect rect{shown.x, shown.y, shown.width, shown.height};
    // Mapped by the X server at once, placed by the program: the window
    // manager never sees it.
    EXPECT_TRUE(Probe().IsOverrideRedirect(WindowAt(rect)));
    // The corners lie outside the background's outline: the desktop shows
    // through. The middle is the popup's own.
    for (const auto& [cx, cy] : {std::pair{0, 0},
                                 {rect.width - 1, 0},
                                 {0, rect.height - 1},
                                 {rect.width - 1, rect.height - 1}}) {
      EXPECT_EQ(screen.At(cx, cy), m_Desktop->At(rect.x + cx, rect.y + cy))
          << "corner " << cx << "," << cy << " is not transparent";
    }
    size_t changed = 0;
    for (int y = rect.height / 4; y < rect.height * 3 / 4; ++y) {
      for (int x = rect.width / 4; x < rect.width * 3 / 4; ++x) {
        changed += screen.At(x, y) != m_Desktop->At(rect.x + x, rect.y + y);
      }
    }
    EXPECT_GT(changed * 10, static_cast<size_t>(rect.width * rect.height / 4) * 9)
        << "the popup's middle shows the desktop";
    EXPECT_EQ(Probe().ActiveWindow(), m_Active) << "the popup took the focus";

    // The timer's hide is the first one after the last show of this event
    // (each discovery pass may leave one more monitor on a device). Lines
    // are timed as the test reads them and the timer starts right before
    // the show line: on a busy machine the hide can look up to a few
    // hundred milliseconds early, never 2 s.
    const OutputLine last = LastShowOnceQuiet(line.index);
    const auto hidden = m_Simulator->WaitForLine(
        [&](const std::string& l) { return IsPopupHide(l, event.popup); }, 30s, last.index + 1);
    ASSERT_TRUE(hidden) << "the popup did not hide";
    const auto after =
        std::chrono::duration_cast<std::chrono::milliseconds>(hidden->time - last.time);
    EXPECT_GE(after.count(), 1500);
    EXPECT_TRUE(WaitUntil([&] { return !WindowShownAt(rect); }, 30s));
  }
}

TEST_F(PopupTest, APopupHidesTwoSecondsAfterItsLastShow) {
  Plug("kb", "keyboard");
  const auto first = Send("lt kb 1", 30s);
  ASSERT_TRUE(first);
  std::this_thread::sleep_for(1200ms);
  const auto second = Send("lt kb 2", 30s);
  ASSERT_TRUE(second);
  // Showing again hides and shows the window at once; a hide of the timer
  // between the two shows can only come 2 s after the first (on a busy
  // machine the second show can come later than that). Lines are timed as
  // the test reads them, and the timer starts right before the show line:
  // a hide can look up to a few hundred milliseconds early, never 2 s.
  for (const OutputLine& line : m_Simulator->Lines()) {
    if (line.index > first->index && line.index < second->index &&
        IsPopupHide(line.text, "LTKeyHint")) {
      EXPECT_TRUE(second->time - line.time < 100ms || line.time - first->time >= 1500ms)
          << "the popup hid before its 2 s and before its second show";
    }
  }
  // The timer's hide is the first one after the last show.
  const auto hidden = m_Simulator->WaitForLine(
      [](const std::string& l) { return IsPopupHide(l, "LTKeyHint"); }, 30s, second->index + 1);
  ASSERT_TRUE(hidden);
  const auto afterSecond =
      std::chrono::duration_cast<std::chrono::milliseconds>(hidden->time - second->time);
  // Hidden 2 s after the first show would be 0.8 s after the second.
  EXPECT_GE(afterSecond.count(), 1500);
}

TEST_F(PopupTest, AnActiveFullScreenWindowSuppressesPopupsUntilItLeavesFullScreen) {
  Plug("kb", "keyboard");
  size_t from = m_Simulator->LineCount();
  ASSERT_EQ(m_Session.Tool({"wmctrl", "-r", "xlogo", "-b", "add,fullscreen"}), 0);
  // The program's own watcher reports the active window going full-screen.
  ASSERT_TRUE(m_Simulator->WaitForLine(
      [](const std::string& l) { return l == "message 1028 wParam=2 lParam=1"; }, 30s, from))
      << "no full-screen notification";
  ASSERT_TRUE(Probe().HasState(WindowOfXlogo(), "_NET_WM_STATE_FULLSCREEN"));

  for (const char* command : {"lt kb 2", "rt kb 1"}) {
    SCOPED_TRACE(command);
    from = m_Simulator->LineCount();
    m_Simulator->Send(command);
    ASSERT_TRUE(m_Simulator->WaitForLine(
        [](const std::string& l) { return l.starts_with("message 102"); }, 30s, from))
        << "the event did not reach the main window";
    EXPECT_FALSE(m_Simulator->WaitForLine(IsPopupShow, 700ms, from))
        << "a popup showed over the full-screen window";
  }

  from = m_Simulator->LineCount();
  ASSERT_EQ(m_Session.Tool({"wmctrl", "-r", "xlogo", "-b", "remove,fullscreen"}), 0);
  ASSERT_TRUE(m_Simulator->WaitForLine(
      [](const std::string& l) { return l == "message 1028 wParam=2 lParam=0"; }, 30s, from));
  const auto line = Send("lt kb 3", 30s);
  ASSERT_TRUE(line) << "popups stay suppressed after full-screen ended";
  EXPECT_EQ(ParsePopupShow(line->text)->text, "LT 3");
}

// No window of the program but its tray icon and its popups is ever on
// screen: the main window stays hidden from start to close.
TEST_F(PopupTest, OnlyTheTrayIconAndThePopupsAreEverVisible) {
  Plug("kb", "keyboard");
  std::vector<ScreenRect> popups;
  std::vector<std::string> strays;
  const xcb_window_t host = m_Session.TrayHost();
  auto look = [&] {
    for (const xcb_window_t w : Probe().WindowsOfPid(static_cast<uint32_t>(m_Simulator->Pid()))) {
      if (!Probe().IsViewable(w) || Probe().IsDescendantOf(w, host)) continue;
      const auto rect = Probe().RootGeometry(w);
      if (rect && std::find(popups.begin(), popups.end(), *rect) != popups.end()) continue;
      strays.push_back(Probe().Name(w) +
                       (rect ? " at " + std::to_string(rect->x) + "," + std::to_string(rect->y) +
                                   " " + std::to_string(rect->width) + "x" +
                                   std::to_string(rect->height)
                             : ""));
    }
  };
  for (const char* command : {"lt kb 1", "rt kb 2", "lt kb 4"}) {
    const auto line = Send(command, 30s);
    ASSERT_TRUE(line);
    const auto shown = ParsePopupShow(line->text);
    popups.push_back({shown->x, shown->y, shown->width, shown->height});
    for (int i = 0; i < 10; ++i) {
      look();
      std::this_thread::sleep_for(50ms);
    }
  }
  for (const xcb_window_t w : Probe().WindowsNamed("MainForm")) {
    EXPECT_FALSE(Probe().IsViewable(w)) << "the main window is on screen";
  }
  EXPECT_TRUE(strays.empty()) << "on screen: " << ::testing::PrintToString(strays);
}

size_t PixelsThatDiffer(const Screenshot& a, const Screenshot& b) {
  if (a.pixels.size() != b.pixels.size()) return std::max(a.pixels.size(), b.pixels.size());
  size_t differ = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) differ += a.pixels[i] != b.pixels[i];
  return differ;
}

// Both popups share one corner. A popup shown again while it is visible must
// come up above the other one: the newest notification is the one on screen.
TEST_F(PopupTest, ThePopupShownLastIsOnTop) {
  Plug("kb", "keyboard");
  const auto ltAlone = ShowAndGrab("lt kb 1");
  ASSERT_TRUE(ltAlone) << "the LT-key popup did not show";
  const auto rtOnTop = ShowAndGrab("rt kb 1");
  ASSERT_TRUE(rtOnTop) << "the RT-mode popup did not show";
  const PopupShowLine& lt = ltAlone->shown;
  const PopupShowLine& rt = rtOnTop->shown;
  ASSERT_EQ((ScreenRect{lt.x, lt.y, lt.width, lt.height}),
            (ScreenRect{rt.x, rt.y, rt.width, rt.height}))
      << "the test needs both popups on the same place";
  const size_t apart = PixelsThatDiffer(ltAlone->screen, rtOnTop->screen);
  ASSERT_GT(apart, 500u) << "the two popups look alike; the test cannot tell them apart";

  // Shown again while the RT-mode popup is on screen.
  const auto latest = ShowAndGrab("lt kb 1");
  ASSERT_TRUE(latest);
  EXPECT_EQ(latest->shown.popup, "LTKeyHint");
  EXPECT_LT(PixelsThatDiffer(latest->screen, ltAlone->screen) * 20, apart)
      << "the screen does not show the LT-key popup that was shown last";
  EXPECT_GT(PixelsThatDiffer(latest->screen, rtOnTop->screen) * 20, apart * 19)
      << "the RT-mode popup still covers the LT-key popup shown after it";
}

// No window manager keeps an override-redirect popup on top: the user's
// window raised over it covers it until the next show, which raises the
// popup again, whether it was still visible or had hidden; the user's window
// keeps the focus throughout.
TEST_F(PopupTest, EveryShowRaisesThePopupAboveAWindowRaisedAfterIt) {
  Plug("kb", "keyboard");
  const auto reference = ShowAndGrab("lt kb 2");
  ASSERT_TRUE(reference) << "the popup did not show";
  const PopupShowLine& alone = reference->shown;
  const ScreenRect rect{alone.x, alone.y, alone.width, alone.height};
  // The popup's middle: its corners show what lies below.
  const ScreenRect middle{rect.x + rect.width / 4, rect.y + rect.height / 4, rect.width / 2,
                          rect.height / 2};
  const auto popupMiddle = Probe().Grab(middle);
  ASSERT_TRUE(popupMiddle);

  const std::string xlogo = std::to_string(WindowOfXlogo());
  ASSERT_EQ(m_Session.Tool({"xdotool", "windowsize", "--sync", xlogo, "300", "200"}), 0);
  ASSERT_EQ(m_Session.Tool({"xdotool", "windowmove", "--sync", xlogo, std::to_string(rect.x - 20),
                            std::to_string(rect.y - 20)}),
            0);
  for (const char* when : {"while visible", "after it hid"}) {
    SCOPED_TRACE(when);
    if (std::string(when) == "after it hid") {
      ASSERT_TRUE(WaitUntil([&] { return !WindowShownAt(rect); }, 30s)) << "the popup did not hide";
    }
    m_Session.Tool({"xdotool", "windowactivate", "--sync", xlogo});
    m_Session.Tool({"xdotool", "windowraise", xlogo});
    // The user's window now covers the popup's middle, or the place where it
    // shows next.
    ASSERT_TRUE(WaitUntil(
        [&] {
          const auto now = Probe().Grab(middle);
          return now && PixelsThatDiffer(*now, *popupMiddle) * 2 > now->pixels.size();
        },
        30s))
        << "the user's window does not cover the popup's place";

    ASSERT_TRUE(ShowAndGrab("lt kb 2")) << "the popup did not show";
    EXPECT_TRUE(WaitUntil(
        [&] {
          const auto now = Probe().Grab(middle);
          return now && PixelsThatDiffer(*now, *popupMiddle) == 0;
        },
        30s))
        << "the popup stays under the window raised after it";
    EXPECT_EQ(Probe().ActiveWindow(), m_Active) << "the popup took the focus";
  }
}

// On X11 the primary monitor need not start at the screen's origin: here it
// is the right half of the screen, and the popup belongs at the bottom-right
// of its work area, not at the same offset from the screen's origin.
class PopupOnOffsetPrimaryTest : public PopupTest {
 protected:
  static constexpr int kMonitorWidth = 960;

  void ArrangeMonitors() override {
    const ScreenRect screen = Probe().ScreenSize();
    const std::string height = std::to_string(screen.height);
    // RandR monitors: a name beginning with '*' makes the monitor primary.
    ASSERT_EQ(m_Session.Tool({"xrandr", "--setmonitor", "*right",
                              std::to_string(kMonitorWidth) + "/254x" + height + "/286+" +
                                  std::to_string(kMonitorWidth) + "+0",
                              "none"}),
              0);
    ASSERT_EQ(
        m_Session.Tool({"xrandr", "--setmonitor", "left",
                        std::to_string(kMonitorWidth) + "/254x" + height + "/286+0+0", "none"}),
        0);
  }
};

TEST_F(PopupOnOffsetPrimaryTest, PopupSitsAtTheBottomRightOfThePrimaryMonitor) {
  Plug("kb", "keyboard");
  const auto workArea = Probe().WorkArea();
  ASSERT_TRUE(workArea);
  // The primary monitor's part of the work area.
  const int left = std::max(workArea->x, kMonitorWidth);
  const int right = std::min(workArea->x + workArea->width, 2 * kMonitorWidth);
  const int top = workArea->y;
  const int bottom = workArea->y + workArea->height;

  for (const char* command : {"lt kb 2", "rt kb 1"}) {
    SCOPED_TRACE(command);
    const auto grabbed = ShowAndGrab(command);
    ASSERT_TRUE(grabbed) << "no popup on screen at its traced place: " << ProgramWindowsOnScreen();
    const PopupShowLine& shown = grabbed->shown;
    EXPECT_EQ(shown.x, right - shown.width - 1);
    EXPECT_EQ(shown.y, bottom - shown.height - 1);
    EXPECT_GE(shown.x, left) << "the popup is not on the primary monitor";
    EXPECT_GE(shown.y, top);
  }
}

}  // namespace
