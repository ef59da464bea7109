#include "app/message_dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A window that records what the handler asks of it.
class RecordingWindow : public MessageDispatch {
 public:
  void ShowRTModeHint(uint32_t v) override { calls.push_back("RT " + std::to_string(v)); }
  void ShowLTKeyHint(uint32_t v) override { calls.push_back("LT " + std::to_string(v)); }
  void ShowCPIHint(uint32_t v) override { calls.push_back("CPI " + std::to_string(v)); }
  bool IsForegroundWindowTopMost() override {
    ++foregroundQueries;
    return foregroundTopMost;
  }
  void HideMainWindow() override { calls.push_back("hide"); }
  void DeviceInterfaceArrived(const std::string& path) override {
    calls.push_back("arrival " + path);
  }
  void DeviceInterfaceRemoved(const std::string& path) override {
    calls.push_back("removal " + path);
  }
  void DeviceMonitorEnded() override { calls.push_back("monitor ended"); }
  bool FullScreenApp() const { return m_FullScreenApp; }

  std::vector<std::string> calls;
  bool foregroundTopMost = false;
  int foregroundQueries = 0;
};

class MessageDispatchTest : public testing::Test {
 protected:
  // Runs a message through the handler; the replaced handler records what
  // reached it and leaves its own result.
  intptr_t Send(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0,
                std::shared_ptr<const DeviceBroadcast> broadcast = nullptr) {
    Message message{msg, wParam, lParam, -1, std::move(broadcast)};
    m_Actions.MainWindowProc(message, [this](Message& m) {
      m_PassedOn.push_back(m.msg);
      m.result = 1000 + static_cast<intptr_t>(m.msg);
    });
    return message.result;
  }
  void AppBar(uintptr_t code, intptr_t lParam) { Send(UM_APPBAR, code, lParam); }

  RecordingWindow m_Actions;
  std::vector<uint32_t> m_PassedOn;
};

TEST_F(MessageDispatchTest, SuppressionTruthTable) {
  struct Case {
    bool fullScreenReported;
    bool foregroundTopMost;
    bool shown;
  } cases[] = {
      {true, true, false},
      {true, false, true},
      {false, true, true},
      {false, false, true},
  };
  for (const auto& c : cases) {
    m_Actions.calls.clear();
    AppBar(ABN_FULLSCREENAPP, c.fullScreenReported ? 1 : 0);
    m_Actions.foregroundTopMost = c.foregroundTopMost;
    Send(UM_LT_KEY, 3);
    Send(UM_RT_MODE, 1, 1);
    Send(UM_CPI_LEVEL, 2);
    const std::vector<std::string> expected =
        c.shown ? std::vector<std::string>{"LT 3", "RT 1", "CPI 2"} : std::vector<std::string>{};
    EXPECT_EQ(m_Actions.calls, expected)
        << "full-screen reported " << c.fullScreenReported << ", topmost " << c.foregroundTopMost;
  }
}

TEST_F(MessageDispatchTest, FullScreenStateFollowsTheLastNotification) {
  m_Actions.foregroundTopMost = true;
  struct Step {
    uintptr_t code;
    intptr_t lParam;
    bool fullScreen;
  } steps[] = {
      {ABN_FULLSCREENAPP, 1, true}, {ABN_POSCHANGED, 0, false},  // any other notification ends it
      {ABN_FULLSCREENAPP, 1, true}, {ABN_FULLSCREENAPP, 0, false}, {ABN_FULLSCREENAPP, 2, false},
  };
  for (const auto& step : steps) {
    AppBar(step.code, step.lParam);
    EXPECT_EQ(m_Actions.FullScreenApp(), step.fullScreen) << step.code << "/" << step.lParam;
    EXPECT_EQ(m_Actions.IsEventSuppressed(), step.fullScreen);
  }
}

TEST_F(MessageDispatchTest, ForegroundIsNotAskedWithoutFullScreenApplication) {
  Send(UM_LT_KEY, 1);
  EXPECT_EQ(m_Actions.foregroundQueries, 0);
}

TEST_F(MessageDispatchTest, EachMessageCallsOnlyItsOwnOperation) {
  struct Case {
    uint32_t msg;
    uintptr_t wParam;
    std::vector<std::string> calls;
  } cases[] = {
      {UM_RT_MODE, 2, {"RT 2"}},        {UM_LT_KEY, 4, {"LT 4"}},
      {UM_CPI_LEVEL, 200, {"CPI 200"}},  // values are passed on whole
      {UM_CPI_LEVEL_ALT, 1, {"CPI 1"}}, {UM_APPBAR, ABN_POSCHANGED, {}},
      {UM_APPBAR + 1, 1, {}},           {WM_USER - 1, 1, {}},
      {15 /* paint */, 0, {}},
  };
  for (const auto& c : cases) {
    m_Actions.calls.clear();
    Send(c.msg, c.wParam);
    EXPECT_EQ(m_Actions.calls, c.calls) << "message " << c.msg;
  }
}

TEST_F(MessageDispatchTest, AlternativeCpiMessageShowsTheSameAsCpi) {
  Send(UM_CPI_LEVEL_ALT, 2);
  Send(UM_CPI_LEVEL, 2);
  EXPECT_EQ(m_Actions.calls, (std::vector<std::string>{"CPI 2", "CPI 2"}));
}

TEST_F(MessageDispatchTest, EveryMessageReachesTheReplacedHandlerWithItsResult) {
  for (const uint32_t msg :
       std::initializer_list<uint32_t>{UM_RT_MODE, UM_LT_KEY, UM_CPI_LEVEL, UM_CPI_LEVEL_ALT,
                                       UM_APPBAR, WM_SIZE, WM_DEVICECHANGE, 15 /* paint */}) {
    EXPECT_EQ(Send(msg, 0, 0), 1000 + static_cast<intptr_t>(msg)) << msg;
  }
  EXPECT_EQ(m_PassedOn.size(), 8u);
}

TEST_F(MessageDispatchTest, EverySizeMessageHidesTheWindow) {
  for (const uintptr_t kind : {0u, 1u, 2u}) {  // restored, minimized, maximized
    Send(WM_SIZE, kind);
  }
  EXPECT_EQ(m_Actions.calls, (std::vector<std::string>(3, "hide")));
}

TEST_F(MessageDispatchTest, InterfaceArrivalsAndRemovalsReachTheDeviceSteps) {
  auto broadcast = [](uint32_t type, std::string name) {
    return std::make_shared<const DeviceBroadcast>(DeviceBroadcast{type, std::move(name)});
  };
  Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0,
       broadcast(DBT_DEVTYP_DEVICEINTERFACE, "/dev/hidraw3"));
  Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0,
       broadcast(DBT_DEVTYP_DEVICEINTERFACE, "/dev/hidraw3"));
  Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, broadcast(DBT_DEVTYP_HANDLE, "/dev/hidraw3"));
  Send(WM_DEVICECHANGE, 0x0007 /* devnodes changed */, 0, nullptr);
  Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0, broadcast(DBT_DEVTYP_HANDLE, "/dev/hidraw3"));
  EXPECT_EQ(m_Actions.calls,
            (std::vector<std::string>{"arrival /dev/hidraw3", "removal /dev/hidraw3"}));
}

TEST_F(MessageDispatchTest, AnEndedMonitorReachesTheDeviceSteps) {
  Send(UM_MONITOR_ENDED);
  EXPECT_EQ(m_Actions.calls, (std::vector<std::string>{"monitor ended"}));
}

}  // namespace
