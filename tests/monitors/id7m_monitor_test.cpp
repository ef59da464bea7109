// The keyboard and mouse monitor on simulated devices: what it posts, when
// it ends, and which slots it empties on the way out.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "tests/monitors/monitor_fixture.h"

namespace {

using Events = std::vector<Message>;

class Id7mMonitorTest : public MonitorTest {
 protected:
  // Stands in for a monitor of the other kind that is still running: the
  // slots only ever compare it with null.
  TiomHidThreadId7M otherMonitor_{slots_, poster_};

  // Holds a monitor inside Post until the test lets it go on. Never left
  // shut when a test ends, or the monitor could not see its device go.
  void TearDown() override {
    OpenGate();
    MonitorTest::TearDown();
  }
  void OpenGate() {
    {
      std::lock_guard lock(gateMutex_);
      gateOpen_ = true;
    }
    gateChanged_.notify_all();
  }
  // Holds the monitor inside Post, after `first` has run on its thread,
  // until OpenGate.
  void HoldInPost(std::function<void()> first = {}) {
    poster_.SetOnPost([this, first](const Message&) {
      if (first) first();
      std::unique_lock lock(gateMutex_);
      gateReached_ = true;
      gateChanged_.notify_all();
      gateChanged_.wait(lock, [this] { return gateOpen_; });
    });
  }
  bool WaitUntilHeld() {
    std::unique_lock lock(gateMutex_);
    return gateChanged_.wait_for(lock, kDeadline, [this] { return gateReached_; });
  }
  std::mutex gateMutex_;
  std::condition_variable gateChanged_;
  bool gateReached_ = false;
  bool gateOpen_ = false;
};

TEST_F(Id7mMonitorTest, MouseReportsReachTheMainWindowInOrder) {
  const std::string path = Plug(SimMouse("m1"));
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  for (uint8_t cpi : {0x09, 0x05, 0x0F, 0x08}) sim_->SendInputReport("m1", MouseCpiReport(cpi));
  sim_->SendInputReport("m1", KeyboardReport(0xC2, 0x83));  // not for a mouse monitor
  sim_->SendInputReport("m1", MouseCpiReport(0x0A));

  ASSERT_TRUE(poster_.WaitForCount(4));
  EXPECT_EQ(poster_.Messages(), (Events{PostedMessage(UM_CPI_LEVEL, 1, 0),
                                      PostedMessage(UM_CPI_LEVEL, 7, 0),
                                      PostedMessage(UM_CPI_LEVEL, 0, 0),
                                      PostedMessage(UM_CPI_LEVEL, 2, 0)}));
  EXPECT_EQ(sim_->DroppedReports("m1"), 0u);
}

TEST_F(Id7mMonitorTest, KeyboardReportPostsRtModeBeforeLtKey) {
  const std::string path = Plug(SimKeyboard("kb1"));
  StartId7m(path, "Keyboard");
  ASSERT_TRUE(WaitUntilReading("kb1"));

  sim_->SendInputReport("kb1", KeyboardReport(0xC2, 0x83));
  sim_->SendInputReport("kb1", MouseCpiReport(0x0D));  // not for a keyboard monitor
  sim_->SendInputReport("kb1", KeyboardReport(0x02, 0x00));
  sim_->SendInputReport("kb1", KeyboardReport(0x00, 0x81));

  ASSERT_TRUE(poster_.WaitForCount(3));
  EXPECT_EQ(poster_.Messages(),
            (Events{PostedMessage(UM_RT_MODE, 2, 1), PostedMessage(UM_LT_KEY, 3, 0), PostedMessage(UM_LT_KEY, 1, 0)}));
}

// A report that ends before byte 12 carries no CPI change, whatever the
// previous report left in the monitor's buffer.
TEST_F(Id7mMonitorTest, ShortReportDoesNotRepeatThePreviousOne) {
  const std::string path = Plug(SimMouse("m1"));
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  sim_->SendInputReport("m1", MouseCpiReport(0x0D));
  sim_->SendInputReport("m1", InputReport(kSimId7mReportId, {{1, 0x01}}, 8));
  sim_->SendInputReport("m1", MouseCpiReport(0x0A));

  ASSERT_TRUE(poster_.WaitForCount(2));
  ASSERT_TRUE(WaitUntilReading("m1"));
  EXPECT_EQ(poster_.Messages(), (Events{PostedMessage(UM_CPI_LEVEL, 5, 0), PostedMessage(UM_CPI_LEVEL, 2, 0)}));
}

// The collection's reports are longer than the 64 bytes the monitor's
// buffer used to have: they are read whole and decoded from their start.
TEST_F(Id7mMonitorTest, ReportLongerThan64BytesIsReadWholeAndDecoded) {
  SimDeviceSpec spec = SimMouse("m1");
  SimVendorCollection(spec)->inputReportLength = 200;
  const std::string path = Plug(spec);
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  std::vector<uint8_t> report = InputReport(kSimId7mReportId, {{1, 0x01}, {12, 0x0E}}, 200);
  report.back() = 0x77;
  sim_->SendInputReport("m1", report);
  sim_->SendInputReport("m1", MouseCpiReport(0x0B));

  ASSERT_TRUE(poster_.WaitForCount(2));
  EXPECT_EQ(poster_.Messages(), (Events{PostedMessage(UM_CPI_LEVEL, 6, 0), PostedMessage(UM_CPI_LEVEL, 3, 0)}));
}

// The report with ID 0 arrives while the slot is empty. The poster blocks
// the monitor in its previous Post until that report is queued, so the
// monitor meets it with its slot already emptied.
TEST_F(Id7mMonitorTest, ZeroReportIdIsSkippedWithoutLookingAtTheSlot) {
  SimDeviceSpec spec = SimMouse("m1");
  SimVendorCollection(spec)->reportIds = {kSimId7mReportId, 0x00};
  const std::string path = Plug(spec);
  auto stop = StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  HoldInPost([this] { slots_.m_MouseMonitor.store(nullptr); });
  sim_->SendInputReport("m1", MouseCpiReport(0x09));
  ASSERT_TRUE(WaitUntilHeld());
  sim_->SendInputReport("m1", InputReport(0x00, {{1, 0x01}, {12, 0x0D}}));
  OpenGate();

  // Having skipped it, the monitor blocks in its next read.
  EXPECT_TRUE(WaitUntilReading("m1"));
  EXPECT_EQ(LiveMonitorThreads(), 1);
  EXPECT_EQ(poster_.Messages().size(), 1u);
  stop->Terminate();
}

TEST_F(Id7mMonitorTest, MouseUnplugStopsTheKeyboardMonitorAtItsNextReport) {
  const std::string keyboardPath = Plug(SimKeyboard("kb1"));
  const std::string mousePath = Plug(SimMouse("m1"));
  StartId7m(keyboardPath, "Keyboard");
  StartId7m(mousePath, "Mouse");
  ASSERT_TRUE(WaitUntilReading("kb1"));
  ASSERT_TRUE(WaitUntilReading("m1"));

  sim_->Unplug("m1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(1, kDeadline));
  EXPECT_EQ(slots_.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(slots_.m_KeyboardMonitor.load(), nullptr);

  sim_->SendInputReport("kb1", KeyboardReport(0xC2, 0x83));
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_TRUE(poster_.Messages().empty());
  EXPECT_EQ(sim_->OpenHandleCount(), 0u);
}

TEST_F(Id7mMonitorTest, OpenFailureEmptiesOnlyTheSlotOfItsKind) {
  struct Case {
    const char* kind;
    bool keyboardSlotEmptied;
    bool mouseSlotEmptied;
  };
  for (const Case& c : {Case{"Mouse", false, true}, Case{"Keyboard", true, false},
                        Case{"mouse", false, false}}) {
    SCOPED_TRACE(c.kind);
    slots_.m_KeyboardMonitor.store(&otherMonitor_);
    slots_.m_MouseMonitor.store(&otherMonitor_);
    auto* monitor = new TiomHidThreadId7M(slots_, poster_);
    monitor->DevicePath = "/dev/hidraw-sim/404";
    monitor->DeviceKind = c.kind;
    monitor->Start();
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_EQ(slots_.m_KeyboardMonitor.load() == nullptr, c.keyboardSlotEmptied);
    EXPECT_EQ(slots_.m_MouseMonitor.load() == nullptr, c.mouseSlotEmptied);
  }
}

TEST_F(Id7mMonitorTest, UnreadableReportLengthEmptiesBothSlotsAndClosesTheDevice) {
  struct Case {
    const char* name;
    bool capabilitiesReadable;
    uint16_t inputLength;
  };
  int plug = 0;
  for (const Case& c : {Case{"capabilities unreadable", false, 64},
                        Case{"no input report", true, 0}}) {
    SCOPED_TRACE(c.name);
    SimDeviceSpec spec = SimMouse("m" + std::to_string(++plug));
    SimVendorCollection(spec)->capabilitiesReadable = c.capabilitiesReadable;
    SimVendorCollection(spec)->inputReportLength = c.inputLength;
    const std::string path = Plug(spec);
    slots_.m_KeyboardMonitor.store(&otherMonitor_);
    StartId7m(path, "Mouse");
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_EQ(slots_.m_KeyboardMonitor.load(), nullptr);
    EXPECT_EQ(slots_.m_MouseMonitor.load(), nullptr);
    EXPECT_EQ(sim_->OpenHandleCount(), 0u);
  }
}

TEST_F(Id7mMonitorTest, TerminateWakesABlockedReadAndEmptiesBothSlots) {
  const std::string path = Plug(SimKeyboard("kb1"));
  auto stop = StartId7m(path, "Keyboard");
  slots_.m_MouseMonitor.store(&otherMonitor_);
  ASSERT_TRUE(WaitUntilReading("kb1"));

  stop->Terminate();
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_EQ(slots_.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(slots_.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(sim_->OpenHandleCount(), 0u);
  EXPECT_TRUE(stop->Terminated());
  stop->Terminate();  // the monitor is gone; the handle still answers
}

TEST_F(Id7mMonitorTest, TerminateBeforeTheDeviceIsOpenStillEndsTheMonitor) {
  const std::string path = Plug(SimKeyboard("kb1"));
  auto* monitor = new TiomHidThreadId7M(slots_, poster_);
  monitor->DevicePath = path;
  monitor->DeviceKind = "Keyboard";
  slots_.m_KeyboardMonitor.store(monitor);
  monitor->Terminate();
  monitor->Start();
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_EQ(sim_->OpenHandleCount(), 0u);
}

TEST_F(Id7mMonitorTest, UnplugWhileReadingEndsTheMonitorAndReleasesTheDevice) {
  SimDeviceSpec spec = SimMouse("m1");
  const std::string path = Plug(spec);
  sim_->InjectFault("m1", SimFault::UnplugOnNextRead);
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_FALSE(sim_->IsPresent("m1"));
  EXPECT_EQ(slots_.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(sim_->OpenHandleCount(), 0u);
}

}  // namespace

namespace {

// A report the device sent before it went away is still read, as hidraw
// hands out what it queued before the read that fails; then the monitor
// ends.
TEST_F(Id7mMonitorTest, AReportQueuedBeforeTheHangUpIsStillDelivered) {
  const std::string path = Plug(SimMouse("m1"));
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  HoldInPost();
  sim_->SendInputReport("m1", MouseCpiReport(0x09));
  ASSERT_TRUE(WaitUntilHeld());
  // The monitor is busy posting the first report: the second waits in its
  // queue when the device goes.
  sim_->SendInputReport("m1", MouseCpiReport(0x0D));
  sim_->Unplug("m1");
  OpenGate();

  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  const auto events = poster_.Messages();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].wParam, 1u);
  EXPECT_EQ(events[1].wParam, 5u);
}

}  // namespace
