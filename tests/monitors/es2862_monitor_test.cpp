// The ES2862 monitor on simulated devices: its shared slot, its early
// returns that leave the slot alone, and its decoding of whole CPI levels.
#include <gtest/gtest.h>

#include "tests/monitors/monitor_fixture.h"

namespace {

using Events = std::vector<Message>;

class Es2862MonitorTest : public MonitorTest {
 protected:
  // Stand-ins for running monitors; the slots only compare them with null.
  TiomHidThreadIdEs2862 otherEs2862_{slots_, poster_};
  TiomHidThreadId7M otherId7m_{slots_, poster_};
};

TEST_F(Es2862MonitorTest, PostsCpiChangesWithTheWholeLevel) {
  const std::string path = Plug(SimEs2862("es1"));
  StartEs2862(path);
  ASSERT_TRUE(WaitUntilReading("es1"));

  sim_->SendInputReport("es1", Es2862Report(0x87, 3));
  sim_->SendInputReport("es1", Es2862Report(0x86, 4));
  sim_->SendInputReport("es1", Es2862Report(0x87, 0xC8));

  ASSERT_TRUE(poster_.WaitForCount(2));
  ASSERT_TRUE(WaitUntilReading("es1"));
  EXPECT_EQ(poster_.Messages(), (Events{PostedMessage(UM_CPI_LEVEL, 3, 0), PostedMessage(UM_CPI_LEVEL, 200, 0)}));
}

TEST_F(Es2862MonitorTest, EarlyEndsLeaveEverySlotAsItWas) {
  struct Case {
    const char* name;
    bool plugged;
    bool capabilitiesReadable;
    uint16_t inputLength;
  };
  int plug = 0;
  for (const Case& c : {Case{"open fails", false, true, 64},
                        Case{"capabilities unreadable", true, false, 64},
                        Case{"no input report", true, true, 0}}) {
    SCOPED_TRACE(c.name);
    std::string path = "/dev/hidraw-sim/404";
    if (c.plugged) {
      SimDeviceSpec spec = SimEs2862("es" + std::to_string(++plug));
      SimVendorCollection(spec)->capabilitiesReadable = c.capabilitiesReadable;
      SimVendorCollection(spec)->inputReportLength = c.inputLength;
      path = Plug(spec);
    }
    slots_.m_KeyboardMonitor.store(&otherId7m_);
    slots_.m_MouseMonitor.store(&otherId7m_);
    auto* monitor = new TiomHidThreadIdEs2862(slots_, poster_);
    monitor->DevicePath = path;
    slots_.m_Es2862Monitor.store(&otherEs2862_);  // as if a later one had been started
    monitor->Start();
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_EQ(slots_.m_Es2862Monitor.load(), &otherEs2862_);
    EXPECT_EQ(slots_.m_KeyboardMonitor.load(), &otherId7m_);
    EXPECT_EQ(slots_.m_MouseMonitor.load(), &otherId7m_);
    EXPECT_EQ(sim_->OpenHandleCount(), 0u);
  }
}

TEST_F(Es2862MonitorTest, UnpluggingOneStopsTheOtherAtItsNextReportUnposted) {
  const std::string first = Plug(SimEs2862("es1"));
  const std::string second = Plug(SimEs2862("es2"));
  slots_.m_KeyboardMonitor.store(&otherId7m_);
  StartEs2862(first);
  StartEs2862(second);
  ASSERT_TRUE(WaitUntilReading("es1"));
  ASSERT_TRUE(WaitUntilReading("es2"));

  sim_->Unplug("es1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(1, kDeadline));
  EXPECT_EQ(slots_.m_Es2862Monitor.load(), nullptr);
  EXPECT_EQ(slots_.m_KeyboardMonitor.load(), &otherId7m_);

  sim_->SendInputReport("es2", Es2862Report(0x87, 5));
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_TRUE(poster_.Messages().empty());
  EXPECT_EQ(sim_->OpenHandleCount(), 0u);
}

TEST_F(Es2862MonitorTest, ReportLongerThan64BytesIsReadWholeAndDecoded) {
  SimDeviceSpec spec = SimEs2862("es1");
  SimVendorCollection(spec)->inputReportLength = 100;
  const std::string path = Plug(spec);
  StartEs2862(path);
  ASSERT_TRUE(WaitUntilReading("es1"));

  std::vector<uint8_t> report = InputReport(kSimEs2862ReportId, {{1, 0x87}, {7, 9}}, 100);
  report.back() = 0x87;
  sim_->SendInputReport("es1", report);
  sim_->SendInputReport("es1", Es2862Report(0x87, 10));
  ASSERT_TRUE(poster_.WaitForCount(2));
  EXPECT_EQ(poster_.Messages(), (Events{PostedMessage(UM_CPI_LEVEL, 9, 0), PostedMessage(UM_CPI_LEVEL, 10, 0)}));
}

TEST_F(Es2862MonitorTest, TerminateWakesABlockedReadAndEmptiesOnlyItsSlot) {
  const std::string path = Plug(SimEs2862("es1"));
  slots_.m_MouseMonitor.store(&otherId7m_);
  auto stop = StartEs2862(path);
  ASSERT_TRUE(WaitUntilReading("es1"));
  stop->Terminate();
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_EQ(slots_.m_Es2862Monitor.load(), nullptr);
  EXPECT_EQ(slots_.m_MouseMonitor.load(), &otherId7m_);
}

}  // namespace
