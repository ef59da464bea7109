// The ES2862 monitor on simulated devices: its shared slot, its early
// returns that leave the slot alone, and its decoding of whole CPI levels.
#include <gtest/gtest.h>

#include "tests/monitors/monitor_fixture.h"

namespace {

using Events = std::vector<Message>;

class Es2862MonitorTest : public MonitorTest {
 protected:
  // Stand-ins for running monitors; the slots only compare them with null.
  TiomHidThreadIdEs2862 m_OtherEs2862{m_Slots, m_Poster};
  TiomHidThreadId7M m_OtherId7m{m_Slots, m_Poster};
};

TEST_F(Es2862MonitorTest, PostsCpiChangesWithTheWholeLevel) {
  const std::string path = Plug(SimEs2862("es1"));
  StartEs2862(path);
  ASSERT_TRUE(WaitUntilReading("es1"));

  m_Sim->SendInputReport("es1", Es2862Report(0x87, 3));
  m_Sim->SendInputReport("es1", Es2862Report(0x86, 4));
  m_Sim->SendInputReport("es1", Es2862Report(0x87, 0xC8));

  ASSERT_TRUE(m_Poster.WaitForCount(2));
  ASSERT_TRUE(WaitUntilReading("es1"));
  EXPECT_EQ(m_Poster.Messages(),
            (Events{PostedMessage(UM_CPI_LEVEL, 3, 0), PostedMessage(UM_CPI_LEVEL, 200, 0)}));
}

TEST_F(Es2862MonitorTest, EarlyEndsLeaveEverySlotAsItWas) {
  struct Case {
    const char* name;
    bool plugged;
    bool capabilitiesReadable;
    uint16_t inputLength;
  };
  int plug = 0;
  for (const Case& c :
       {Case{"open fails", false, true, 64}, Case{"capabilities unreadable", true, false, 64},
        Case{"no input report", true, true, 0}}) {
    SCOPED_TRACE(c.name);
    std::string path = "/dev/hidraw-sim/404";
    if (c.plugged) {
      SimDeviceSpec spec = SimEs2862("es" + std::to_string(++plug));
      SimVendorCollection(spec)->capabilitiesReadable = c.capabilitiesReadable;
      SimVendorCollection(spec)->inputReportLength = c.inputLength;
      path = Plug(spec);
    }
    m_Slots.m_KeyboardMonitor.store(&m_OtherId7m);
    m_Slots.m_MouseMonitor.store(&m_OtherId7m);
    auto* monitor = new TiomHidThreadIdEs2862(m_Slots, m_Poster);
    monitor->DevicePath = path;
    m_Slots.m_Es2862Monitor.store(&m_OtherEs2862);  // as if a later one had been started
    monitor->Start();
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_EQ(m_Slots.m_Es2862Monitor.load(), &m_OtherEs2862);
    EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), &m_OtherId7m);
    EXPECT_EQ(m_Slots.m_MouseMonitor.load(), &m_OtherId7m);
    EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
  }
}

TEST_F(Es2862MonitorTest, UnpluggingOneStopsTheOtherAtItsNextReportUnposted) {
  const std::string first = Plug(SimEs2862("es1"));
  const std::string second = Plug(SimEs2862("es2"));
  m_Slots.m_KeyboardMonitor.store(&m_OtherId7m);
  StartEs2862(first);
  StartEs2862(second);
  ASSERT_TRUE(WaitUntilReading("es1"));
  ASSERT_TRUE(WaitUntilReading("es2"));

  m_Sim->Unplug("es1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(1, kDeadline));
  EXPECT_EQ(m_Slots.m_Es2862Monitor.load(), nullptr);
  EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), &m_OtherId7m);

  m_Sim->SendInputReport("es2", Es2862Report(0x87, 5));
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_TRUE(m_Poster.Messages().empty());
  EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
}

TEST_F(Es2862MonitorTest, ReportLongerThan64BytesIsReadWholeAndDecoded) {
  SimDeviceSpec spec = SimEs2862("es1");
  SimVendorCollection(spec)->inputReportLength = 100;
  const std::string path = Plug(spec);
  StartEs2862(path);
  ASSERT_TRUE(WaitUntilReading("es1"));

  std::vector<uint8_t> report = InputReport(kSimEs2862ReportId, {{1, 0x87}, {7, 9}}, 100);
  report.back() = 0x87;
  m_Sim->SendInputReport("es1", report);
  m_Sim->SendInputReport("es1", Es2862Report(0x87, 10));
  ASSERT_TRUE(m_Poster.WaitForCount(2));
  EXPECT_EQ(m_Poster.Messages(),
            (Events{PostedMessage(UM_CPI_LEVEL, 9, 0), PostedMessage(UM_CPI_LEVEL, 10, 0)}));
}

TEST_F(Es2862MonitorTest, TerminateWakesABlockedReadAndEmptiesOnlyItsSlot) {
  const std::string path = Plug(SimEs2862("es1"));
  m_Slots.m_MouseMonitor.store(&m_OtherId7m);
  auto stop = StartEs2862(path);
  ASSERT_TRUE(WaitUntilReading("es1"));
  stop->Terminate();
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
  EXPECT_EQ(m_Slots.m_Es2862Monitor.load(), nullptr);
  EXPECT_EQ(m_Slots.m_MouseMonitor.load(), &m_OtherId7m);
}

}  // namespace
