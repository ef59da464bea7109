// The Win32 main window on a real display (wine in a private X session):
// device events reach the popups, full-screen suppression, the tray menu's
// language and autostart items, discovery and Close on simulated devices.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/exception_report.h"
#include "app/win32/MainUnit.h"
#include "app/win32/exception_report_sink.h"
#include "hid/IO_HID.h"
#include "platform/session/autostart.h"
#include "platform/sim/sim_backend.h"
#include "skin/Language_subroutines.h"
#include "skin/win32/win32_display.h"

namespace {

const std::string kData = CORVANE_BINARY_DIR "/bin/Data/";

struct Shown {
  std::string popup;
  uint32_t mode;
  std::u16string title;
  std::u16string text;
};

class Win32MainForm : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InstallWin32DisplayStateSource();
    SetSystemLanguageIdSource([] { return uint16_t{1033}; });
  }

  void SetUp() override {
    RemoveAutostartEntry("CorvaneNotification");
    SetExceptionReportSink([this](const std::string& text) { m_Reports.push_back(text); });
    m_Sim = std::make_shared<SimBackend>();
    HidSetBackend(m_Sim);
    m_Form = std::make_unique<TMainForm>(kData);
    m_Form->SetHintPopups(
        {[this](const std::u16string& title, const std::u16string& text) {
           m_Shown.push_back({"LTKey", 0, title, text});
         },
         [this](uint32_t mode, const std::u16string& title, const std::u16string& text) {
           m_Shown.push_back({"RTMode", mode, title, text});
         }});
  }

  void TearDown() override {
    m_Form.reset();
    HidSetBackend(nullptr);
    SetExceptionReportSink({});
    RemoveAutostartEntry("CorvaneNotification");
  }

  // Runs the window's messages for a while; WM_QUIT is kept for the test.
  bool Pump(int rounds = 10) {
    bool quit = false;
    MSG message;
    for (int round = 0; round < rounds; ++round) {
      if (m_Form && m_Form->ArrivalHandle() != kNoWaitHandle &&
          IsWaitHandleRaised(m_Form->ArrivalHandle())) {
        m_Form->PostDeviceChanges();
      }
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) quit = true;
        DispatchMessageW(&message);
      }
      Sleep(10);
    }
    return quit;
  }

  // Wine makes a window the foreground one at once, and the window manager
  // may take that back when it maps the window: wait until it stays.
  bool BringToFront(HWND window) {
    int steadyRounds = 0;
    for (int round = 0; round < 300 && steadyRounds < 20; ++round) {
      if (GetForegroundWindow() == window) {
        ++steadyRounds;
      } else {
        steadyRounds = 0;
        SetForegroundWindow(window);
      }
      Pump(1);
    }
    return steadyRounds >= 20;
  }

  void Command(UINT item) { SendMessageW(m_Form->Handle(), WM_COMMAND, item, 0); }

  std::shared_ptr<SimBackend> m_Sim;
  std::unique_ptr<TMainForm> m_Form;
  std::vector<Shown> m_Shown;
  std::vector<std::string> m_Reports;
};

TEST_F(Win32MainForm, PostedDeviceEventsReachThePopupWithTheirTexts) {
  m_Form->Poster().Post(PostedMessage(UM_LT_KEY, 3, 0));
  m_Form->Poster().Post(PostedMessage(UM_RT_MODE, 1, 0));
  Pump();
  ASSERT_EQ(m_Shown.size(), 2u);
  EXPECT_EQ(m_Shown[0].popup, "LTKey");
  EXPECT_EQ(m_Shown[0].title, u"LT Key");
  EXPECT_EQ(m_Shown[0].text,
            m_Form->Rules().ReadString(u"Default", LTKeyHintRecipe(3)->textKey, u"@@"));
  EXPECT_NE(m_Shown[0].text, u"@@");
  EXPECT_EQ(m_Shown[1].popup, "RTMode");
  EXPECT_EQ(m_Shown[1].mode, RTModeHintRecipe(1)->rtMode);
}

TEST_F(Win32MainForm, AHandlersExceptionIsReportedAndTheNextMessageIsHandled) {
  int calls = 0;
  m_Form->SetHintPopups({[&](const std::u16string&, const std::u16string&) {
                           if (++calls == 1) throw std::runtime_error("the popup failed");
                         },
                         {}});
  m_Form->Poster().Post(PostedMessage(UM_LT_KEY, 1, 0));
  m_Form->Poster().Post(PostedMessage(UM_LT_KEY, 2, 0));
  Pump();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(m_Reports, std::vector<std::string>{"the popup failed"});
}

TEST_F(Win32MainForm, AFullScreenAppInFrontSuppressesEvents) {
  const HWND game = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"game", WS_POPUP | WS_VISIBLE, 0, 0,
                                    640, 480, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(BringToFront(game));

  const struct {
    intptr_t fullScreen;
    bool shown;
  } steps[] = {{1, false}, {0, true}, {1, false}};
  for (const auto& step : steps) {
    m_Shown.clear();
    m_Form->Poster().Post(PostedMessage(UM_APPBAR, ABN_FULLSCREENAPP, step.fullScreen));
    m_Form->Poster().Post(PostedMessage(UM_CPI_LEVEL, 2, 0));
    Pump();
    EXPECT_EQ(m_Shown.size(), step.shown ? 1u : 0u) << "full screen " << step.fullScreen;
  }
  DestroyWindow(game);
}

TEST_F(Win32MainForm, ShownOnceItDiscoversDevicesAndHidesItself) {
  m_Sim->Plug(SimKeyboard("kb"));
  m_Form->ShowMinimizedOnce();
  Pump();
  EXPECT_FALSE(IsWindowVisible(m_Form->Handle()));
  EXPECT_FALSE(m_Form->ModeDevices().empty());
  // The keyboard was switched into notification mode.
  EXPECT_FALSE(m_Sim->FeatureLog("kb").empty());
}

TEST_F(Win32MainForm, ASupportedArrivalRunsAPass) {
  m_Form->ShowMinimizedOnce();
  Pump();
  ASSERT_TRUE(m_Form->ModeDevices().empty());
  m_Sim->Plug(SimMouse("mouse"));
  Pump(30);
  EXPECT_FALSE(m_Form->ModeDevices().empty());
}

TEST_F(Win32MainForm, LanguageItemsRecaptionTheMenu) {
  const struct {
    UINT item;
    std::u16string language;
  } steps[] = {
      {TMainForm::N4, u"ChineseS"}, {TMainForm::N5, u"ChineseT"}, {TMainForm::N6, u"English"}};
  for (const auto& step : steps) {
    Command(step.item);
    EXPECT_EQ(m_Form->Rules().Language(), step.language);
    EXPECT_EQ(m_Form->MenuCaption(TMainForm::N1),
              m_Form->Rules().ReadString(step.language, u"PopMenu1", u"@@"));
    EXPECT_EQ(m_Form->MenuCaption(0),
              m_Form->Rules().ReadString(step.language, u"PopMenu3", u"@@"));
    for (const UINT item : {TMainForm::N4, TMainForm::N5, TMainForm::N6}) {
      EXPECT_EQ(m_Form->IsMenuItemChecked(item), item == step.item);
    }
  }
}

TEST_F(Win32MainForm, TheAutostartItemWritesAndRemovesTheRunValue) {
  Command(TMainForm::N2);
  EXPECT_TRUE(IsAutoStartSet("CorvaneNotification"));
  EXPECT_TRUE(m_Form->IsMenuItemChecked(TMainForm::N2));
  Command(TMainForm::N2);
  EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
  EXPECT_FALSE(m_Form->IsMenuItemChecked(TMainForm::N2));
  EXPECT_TRUE(m_Reports.empty());
}

TEST_F(Win32MainForm, CloseSwitchesTheDevicesBackOnceAndEndsTheLoop) {
  m_Sim->Plug(SimKeyboard("kb"));
  m_Form->ShowMinimizedOnce();
  Pump();
  const size_t before = m_Sim->FeatureLog("kb").size();
  Command(TMainForm::N1);
  EXPECT_TRUE(Pump());
  EXPECT_TRUE(m_Form->Rules().IsClosed());
  const size_t afterClose = m_Sim->FeatureLog("kb").size();
  EXPECT_GT(afterClose, before);
  SendMessageW(m_Form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(m_Sim->FeatureLog("kb").size(), afterClose);
}

TEST_F(Win32MainForm, ACloseSentToTheWindowOfItsClassSwitchesTheDevicesBackAndEndsTheLoop) {
  // The installer and uninstaller end a running program this way, from
  // another process: the window found by its class gets WM_CLOSE.
  m_Sim->Plug(SimKeyboard("kb"));
  m_Form->ShowMinimizedOnce();
  Pump();
  const size_t before = m_Sim->FeatureLog("kb").size();
  HWND found = nullptr;
  while ((found = FindWindowExW(nullptr, found, L"CorvaneNotificationMainForm", nullptr)) !=
             nullptr &&
         found != m_Form->Handle()) {
  }
  ASSERT_EQ(found, m_Form->Handle());
  std::thread closer(
      [found] { SendMessageTimeoutW(found, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, nullptr); });
  bool quit = false;
  for (int round = 0; round < 3000 && !quit; ++round) quit = Pump(1);
  closer.join();
  EXPECT_TRUE(quit);
  EXPECT_TRUE(m_Form->Rules().IsClosed());
  EXPECT_GT(m_Sim->FeatureLog("kb").size(), before);
}

// Records every time a window is about to be shown on this thread.
std::vector<HWND> g_ShownWindows;
LRESULT CALLBACK RecordShownWindows(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION) {
    const bool shows =
        (call->message == WM_SHOWWINDOW && call->wParam != FALSE) ||
        (call->message == WM_WINDOWPOSCHANGING &&
         (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW) != 0);
    if (shows) g_ShownWindows.push_back(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Win32MainForm, ClicksOnTheTrayIconOtherThanTheMenuShowNothingAndKeepTheForeground) {
  m_Form->ShowMinimizedOnce();
  Pump();
  ASSERT_FALSE(IsWindowVisible(m_Form->Handle()));
  const HWND application = CreateWindowExW(0, L"STATIC", L"application", WS_POPUP | WS_VISIBLE, 100,
                                           100, 200, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(BringToFront(application));

  g_ShownWindows.clear();
  const HHOOK hook =
      SetWindowsHookExW(WH_CALLWNDPROC, &RecordShownWindows, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  // What the tray sends for a left and a middle double-click.
  for (const UINT click : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                           WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_MBUTTONUP}) {
    SendMessageW(m_Form->Handle(), TMainForm::kTrayMessage, TMainForm::kTrayIconId, click);
    EXPECT_FALSE(IsWindowVisible(m_Form->Handle())) << "after tray message " << click;
    Pump();
    EXPECT_FALSE(IsWindowVisible(m_Form->Handle())) << "after tray message " << click;
  }
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(std::count(g_ShownWindows.begin(), g_ShownWindows.end(), m_Form->Handle()), 0);
  EXPECT_EQ(GetForegroundWindow(), application);
  DestroyWindow(application);
}

// Whether the notification area holds the form's icon: only an icon that is
// there can be modified.
bool TrayHoldsIcon(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = TMainForm::kTrayIconId;
  icon.uFlags = NIF_TIP;
  return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

TEST_F(Win32MainForm, TheTrayIconSurvivesARepeatedTaskbarCreatedAndGoesAtTheSessionsEnd) {
  if (!TrayHoldsIcon(m_Form->Handle())) GTEST_SKIP() << "the session has no notification area";
  // The shell announces a new taskbar while the icon is still there: adding
  // it again is refused, yet the form still owns an icon to update and remove.
  SendMessageW(m_Form->Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  Command(TMainForm::N4);
  EXPECT_TRUE(TrayHoldsIcon(m_Form->Handle()));
  EXPECT_TRUE(m_Form->IsTrayIconAdded());

  SendMessageW(m_Form->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(TrayHoldsIcon(m_Form->Handle()));
  EXPECT_FALSE(m_Form->IsTrayIconAdded());
}

TEST(Win32ExceptionReport, AHandlersExceptionIsReportedWithItsText) {
  std::vector<std::string> reports;
  SetExceptionReportSink([&](const std::string& text) { reports.push_back(text); });
  RunReportingExceptions([] { throw std::runtime_error("HKCU\\...\\Run: Access is denied"); });
  RunReportingExceptions([] {});
  SetExceptionReportSink({});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "HKCU\\...\\Run: Access is denied");
}

}  // namespace
