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
  TiomHidThreadId7M m_OtherMonitor{m_Slots, m_Poster};

  // Holds a monitor inside Post until the test lets it go on. Never left
  // shut when a test ends, or the monitor could not see its device go.
  void TearDown() override {
    OpenGate();
    MonitorTest::TearDown();
  }
  void OpenGate() {
    {
      std::lock_guard lock(m_GateMutex);
      m_GateOpen = true;
    }
    m_GateChanged.notify_all();
  }
  // Holds the monitor inside Post, after `first` has run on its thread,
  // until OpenGate.
  void HoldInPost(std::function<void()> first = {}) {
    m_Poster.SetOnPost([this, first](const Message&) {
      if (first) first();
      std::unique_lock lock(m_GateMutex);
      m_GateReached = true;
      m_GateChanged.notify_all();
      m_GateChanged.wait(lock, [this] { return m_GateOpen; });
    });
  }
  bool WaitUntilHeld() {
    std::unique_lock lock(m_GateMutex);
    return m_GateChanged.wait_for(lock, kDeadline, [this] { return m_GateReached; });
  }
  std::mutex m_GateMutex;
  std::condition_variable m_GateChanged;
  bool m_GateReached = false;
  bool m_GateOpen = false;
};

TEST_F(Id7mMonitorTest, MouseReportsReachTheMainWindowInOrder) {
  const std::string path = Plug(SimMouse("m1"));
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  for (uint8_t cpi : {0x09, 0x05, 0x0F, 0x08}) m_Sim->SendInputReport("m1", MouseCpiReport(cpi));
  m_Sim->SendInputReport("m1", KeyboardReport(0xC2, 0x83));  // not for a mouse monitor
  m_Sim->SendInputReport("m1", MouseCpiReport(0x0A));

  ASSERT_TRUE(m_Poster.WaitForCount(4));
  EXPECT_EQ(m_Poster.Messages(),
            (Events{PostedMessage(UM_CPI_LEVEL, 1, 0), PostedMessage(UM_CPI_LEVEL, 7, 0),
                    PostedMessage(UM_CPI_LEVEL, 0, 0), PostedMessage(UM_CPI_LEVEL, 2, 0)}));
  EXPECT_EQ(m_Sim->DroppedReports("m1"), 0u);
}

TEST_F(Id7mMonitorTest, KeyboardReportPostsRtModeBeforeLtKey) {
  const std::string path = Plug(SimKeyboard("kb1"));
  StartId7m(path, "Keyboard");
  ASSERT_TRUE(WaitUntilReading("kb1"));

  m_Sim->SendInputReport("kb1", KeyboardReport(0xC2, 0x83));
  m_Sim->SendInputReport("kb1", MouseCpiReport(0x0D));  // not for a keyboard monitor
  m_Sim->SendInputReport("kb1", KeyboardReport(0x02, 0x00));
  m_Sim->SendInputReport("kb1", KeyboardReport(0x00, 0x81));

  ASSERT_TRUE(m_Poster.WaitForCount(3));
  EXPECT_EQ(m_Poster.Messages(),
            (Events{PostedMessage(UM_RT_MODE, 2, 1), PostedMessage(UM_LT_KEY, 3, 0),
                    PostedMessage(UM_LT_KEY, 1, 0)}));
}

// A report that ends before byte 12 carries no CPI change, whatever the
// previous report left in the monitor's buffer.
TEST_F(Id7mMonitorTest, ShortReportDoesNotRepeatThePreviousOne) {
  const std::string path = Plug(SimMouse("m1"));
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitUntilReading("m1"));

  m_Sim->SendInputReport("m1", MouseCpiReport(0x0D));
  m_Sim->SendInputReport("m1", InputReport(kSimId7mReportId, {{1, 0x01}}, 8));
  m_Sim->SendInputReport("m1", MouseCpiReport(0x0A));

  ASSERT_TRUE(m_Poster.WaitForCount(2));
  ASSERT_TRUE(WaitUntilReading("m1"));
  EXPECT_EQ(m_Poster.Messages(),
            (Events{PostedMessage(UM_CPI_LEVEL, 5, 0), PostedMessage(UM_CPI_LEVEL, 2, 0)}));
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
  m_Sim->SendInputReport("m1", report);
  m_Sim->SendInputReport("m1", MouseCpiReport(0x0B));

  ASSERT_TRUE(m_Poster.WaitForCount(2));
  EXPECT_EQ(m_Poster.Messages(),
            (Events{PostedMessage(UM_CPI_LEVEL, 6, 0), PostedMessage(UM_CPI_LEVEL, 3, 0)}));
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

  HoldInPost([this] { m_Slots.m_MouseMonitor.store(nullptr); });
  m_Sim->SendInputReport("m1", MouseCpiReport(0x09));
  ASSERT_TRUE(WaitUntilHeld());
  m_Sim->SendInputReport("m1", InputReport(0x00, {{1, 0x01}, {12, 0x0D}}));
  OpenGate();

  // Having skipped it, the monitor blocks in its next read.
  EXPECT_TRUE(WaitUntilReading("m1"));
  EXPECT_EQ(LiveMonitorThreads(), 1);
  EXPECT_EQ(m_Poster.Messages().size(), 1u);
  stop->Terminate();
}

TEST_F(Id7mMonitorTest, MouseUnplugStopsTheKeyboardMonitorAtItsNextReport) {
  const std::string keyboardPath = Plug(SimKeyboard("kb1"));
  const std::string mousePath = Plug(SimMouse("m1"));
  StartId7m(keyboardPath, "Keyboard");
  StartId7m(mousePath, "Mouse");
  ASSERT_TRUE(WaitUntilReading("kb1"));
  ASSERT_TRUE(WaitUntilReading("m1"));

  m_Sim->Unplug("m1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(1, kDeadline));
  EXPECT_EQ(m_Slots.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), nullptr);

  m_Sim->SendInputReport("kb1", KeyboardReport(0xC2, 0x83));
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_TRUE(m_Poster.Messages().empty());
  EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
}

TEST_F(Id7mMonitorTest, OpenFailureEmptiesOnlyTheSlotOfItsKind) {
  struct Case {
    const char* kind;
    bool keyboardSlotEmptied;
    bool mouseSlotEmptied;
  };
  for (const Case& c :
       {Case{"Mouse", false, true}, Case{"Keyboard", true, false}, Case{"mouse", false, false}}) {
    SCOPED_TRACE(c.kind);
    m_Slots.m_KeyboardMonitor.store(&m_OtherMonitor);
    m_Slots.m_MouseMonitor.store(&m_OtherMonitor);
    auto* monitor = new TiomHidThreadId7M(m_Slots, m_Poster);
    monitor->DevicePath = "/dev/hidraw-sim/404";
    monitor->DeviceKind = c.kind;
    monitor->Start();
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_EQ(m_Slots.m_KeyboardMonitor.load() == nullptr, c.keyboardSlotEmptied);
    EXPECT_EQ(m_Slots.m_MouseMonitor.load() == nullptr, c.mouseSlotEmptied);
  }
}

TEST_F(Id7mMonitorTest, UnreadableReportLengthEmptiesBothSlotsAndClosesTheDevice) {
  struct Case {
    const char* name;
    bool capabilitiesReadable;
    uint16_t inputLength;
  };
  int plug = 0;
  for (const Case& c :
       {Case{"capabilities unreadable", false, 64}, Case{"no input report", true, 0}}) {
    SCOPED_TRACE(c.name);
    SimDeviceSpec spec = SimMouse("m" + std::to_string(++plug));
    SimVendorCollection(spec)->capabilitiesReadable = c.capabilitiesReadable;
    SimVendorCollection(spec)->inputReportLength = c.inputLength;
    const std::string path = Plug(spec);
    m_Slots.m_KeyboardMonitor.store(&m_OtherMonitor);
    StartId7m(path, "Mouse");
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), nullptr);
    EXPECT_EQ(m_Slots.m_MouseMonitor.load(), nullptr);
    EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
  }
}

TEST_F(Id7mMonitorTest, TerminateWakesABlockedReadAndEmptiesBothSlots) {
  const std::string path = Plug(SimKeyboard("kb1"));
  auto stop = StartId7m(path, "Keyboard");
  m_Slots.m_MouseMonitor.store(&m_OtherMonitor);
  ASSERT_TRUE(WaitUntilReading("kb1"));

  stop->Terminate();
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(m_Slots.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
  EXPECT_TRUE(stop->Terminated());
  stop->Terminate();  // the monitor is gone; the handle still answers
}

TEST_F(Id7mMonitorTest, TerminateBeforeTheDeviceIsOpenStillEndsTheMonitor) {
  const std::string path = Plug(SimKeyboard("kb1"));
  auto* monitor = new TiomHidThreadId7M(m_Slots, m_Poster);
  monitor->DevicePath = path;
  monitor->DeviceKind = "Keyboard";
  m_Slots.m_KeyboardMonitor.store(monitor);
  monitor->Terminate();
  monitor->Start();
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
}

TEST_F(Id7mMonitorTest, UnplugWhileReadingEndsTheMonitorAndReleasesTheDevice) {
  SimDeviceSpec spec = SimMouse("m1");
  const std::string path = Plug(spec);
  m_Sim->InjectFault("m1", SimFault::UnplugOnNextRead);
  StartId7m(path, "Mouse");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_FALSE(m_Sim->IsPresent("m1"));
  EXPECT_EQ(m_Slots.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
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
  m_Sim->SendInputReport("m1", MouseCpiReport(0x09));
  ASSERT_TRUE(WaitUntilHeld());
  // The monitor is busy posting the first report: the second waits in its
  // queue when the device goes.
  m_Sim->SendInputReport("m1", MouseCpiReport(0x0D));
  m_Sim->Unplug("m1");
  OpenGate();

  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  const auto events = m_Poster.Messages();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].wParam, 1u);
  EXPECT_EQ(events[1].wParam, 5u);
}

}  // namespace
