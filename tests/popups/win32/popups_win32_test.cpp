// The Win32 popups on a real display (wine in a private X session): where
// they appear, that they never take the focus, their outline, their texts
// and their trace.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "popups/popup_trace.h"
#include "popups/win32/FORM_LTKeyHintDialog.h"
#include "popups/win32/FORM_RTModeHintDialog.h"
#include "skin/win32/win32_display.h"
#include "skin/win32/win32_ui_toolkit.h"

namespace {

const std::string kData = CORVANE_BINARY_DIR "/bin/Data/";

class Win32Popups : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InstallWin32DisplayStateSource();
  }

  void SetUp() override {
    SetPopupTrace([this](const std::string& line) { m_Trace.push_back(line); });
    // A window of this process in front, as a game would be.
    m_Foreground = CreateWindowExW(0, L"STATIC", L"game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                   100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(m_Foreground);
    Pump();
  }
  void TearDown() override {
    SetPopupTrace({});
    DestroyWindow(m_Foreground);
  }

  static void Pump() {
    MSG message;
    for (int round = 0; round < 20; ++round) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      Sleep(10);
    }
  }

  static RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
  }

  std::vector<std::string> m_Trace;
  HWND m_Foreground = nullptr;
};

TEST_F(Win32Popups, ShowAtTheWorkAreasCornerOnTopWithoutTakingTheFocus) {
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  const HWND before = GetForegroundWindow();
  popup.ShowHintText(u"LT Key", u"LT 3");
  Pump();

  ASSERT_TRUE(popup.IsVisible());
  RECT bounds{};
  GetWindowRect(popup.Handle(), &bounds);
  const RECT work = WorkArea();
  EXPECT_EQ(bounds.right, work.right - 1);
  EXPECT_EQ(bounds.bottom, work.bottom - 1);
  EXPECT_EQ(bounds.right - bounds.left, 247);
  EXPECT_EQ(bounds.bottom - bounds.top, 136);

  const LONG_PTR styles = GetWindowLongPtrW(popup.Handle(), GWL_EXSTYLE);
  EXPECT_NE(styles & WS_EX_TOPMOST, 0);
  EXPECT_NE(styles & WS_EX_TOOLWINDOW, 0);  // no taskbar entry
  EXPECT_NE(styles & WS_EX_NOACTIVATE, 0);
  EXPECT_EQ(GetForegroundWindow(), before);
  EXPECT_NE(GetActiveWindow(), popup.Handle());

  ASSERT_EQ(m_Trace.size(), 1u);
  EXPECT_EQ(m_Trace[0],
            "popup LTKeyHint show title=\"LT Key\" text=\"LT 3\" x=" + std::to_string(bounds.left) +
                " y=" + std::to_string(bounds.top) + " w=247 h=136 align=center size=14");
}

TEST_F(Win32Popups, OutlineCutsThePicturesTransparentCorners) {
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  popup.ShowHintText(u"LT Key", u"LT 1");
  const HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(popup.Handle(), region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 0, 0));  // the rounded corner
  EXPECT_FALSE(PtInRegion(region, 246, 135));
  EXPECT_TRUE(PtInRegion(region, 123, 68));  // the middle
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_LE(box.right, 247);
  EXPECT_LE(box.bottom, 136);
  DeleteObject(region);
}

TEST_F(Win32Popups, TooWideTextIsShortenedWholeInsideItsLabelAndLeftAligned) {
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  popup.ShowHintText(u"CPI", std::u16string(60, u'W'));
  const Win32Label& label = popup.TextLabel();
  const std::u16string& shown = label.text;
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
  EXPECT_LT(shown.size(), 60u);
  EXPECT_EQ(label.alignment, LabelAlignment::Left);
  // Larger than shown, up to 40 points, as far as its line fits the
  // 30-pixel label; and as wide as the label at most, dots included.
  EXPECT_GT(label.pointSize, 14.0);
  EXPECT_LE(label.pointSize, hint_popup_layout::kShortenedPointSize);
  const HFONT font = CreateLabelFont(label, popup.Dpi());
  EXPECT_LE(MeasureTextHeight(font, shown), label.bounds.bottom - label.bounds.top);
  EXPECT_LE(MeasureTextWidth(font, shown), label.bounds.right - label.bounds.left);
  DeleteObject(font);

  // The next short text takes the description's size again, centred.
  popup.ShowHintText(u"CPI", u"800");
  EXPECT_EQ(popup.TextLabel().text, u"800");
  EXPECT_EQ(popup.TextLabel().alignment, LabelAlignment::Center);
  EXPECT_EQ(popup.TextLabel().pointSize, 14.0);
}

TEST_F(Win32Popups, TheSkinComesFromTheUiDescription) {
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  // rgb,96,214,226 and rectp,0,102,247,132 in the shipped UI.txt.
  EXPECT_EQ(popup.TextLabel().textColor, 0xE2D660u);
  EXPECT_EQ(popup.TextLabel().bounds.top, 102);
  EXPECT_EQ(popup.TextLabel().bounds.bottom, 132);
  EXPECT_FALSE(popup.BackgroundImage().picture.IsEmpty());
}

TEST_F(Win32Popups, TheTimerHidesThePopupAndTracesIt) {
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  popup.ShowHintText(u"LT Key", u"LT 2");
  popup.tm_FireKetHintTimer();
  EXPECT_FALSE(popup.IsVisible());
  ASSERT_EQ(m_Trace.size(), 2u);
  EXPECT_EQ(m_Trace[1], "popup LTKeyHint hide");
}

TEST_F(Win32Popups, TheHideTimerRunsOutAfterTwoSeconds) {
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  // Counted from before the show, so a busy machine can only add to it.
  const DWORD start = GetTickCount();
  popup.ShowHintText(u"LT Key", u"LT 2");
  while (popup.IsVisible() && GetTickCount() - start < 30000) Pump();
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_FALSE(popup.IsVisible());
  EXPECT_GE(elapsed, 1800u);
}

TEST_F(Win32Popups, TheMarkerShowsForTheModesThatRemapWasd) {
  TformRTModeHintDialog popup(kData + "RTModeHint/");
  const struct {
    uint32_t mode;
    bool visible;
  } steps[] = {{4, true}, {1, false}, {7, false}, {5, true}, {9, true}, {3, false}};
  for (const auto& step : steps) {
    popup.ShowHintText(step.mode, u"RT Mode", u"Rapid Trigger");
    EXPECT_EQ(popup.lb_WASD().visible, step.visible) << "mode " << step.mode;
  }
}

// What a screen reader is told: every show raises an alert whose accessible
// name, the window's text, carries the popup's title and whole text.
std::vector<std::pair<HWND, std::wstring>> g_Alerts;

void CALLBACK RecordAlert(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD,
                          DWORD) {
  if (event != EVENT_SYSTEM_ALERT || object != OBJID_WINDOW) return;
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  g_Alerts.emplace_back(window, text);
}

TEST_F(Win32Popups, EveryShowIsAnAlertForScreenReaders) {
  g_Alerts.clear();
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, RecordAlert,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  TformLTKeyHintDialog popup(kData + "LTKeyHint/");
  // Shortened on screen, whole for the screen reader.
  popup.ShowHintText(u"CPI", std::u16string(60, u'W'));
  Pump();
  // Shown again while still visible: a new notification all the same.
  popup.ShowHintText(u"LT Key", u"LT 2");
  Pump();
  UnhookWinEvent(hook);

  ASSERT_EQ(g_Alerts.size(), 2u);
  EXPECT_EQ(g_Alerts[0].first, popup.Handle());
  EXPECT_EQ(g_Alerts[0].second, L"CPI: " + std::wstring(60, L'W'));
  EXPECT_EQ(g_Alerts[1].second, L"LT Key: LT 2");
}

}  // namespace
