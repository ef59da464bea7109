// Devices pulled out while their monitor reads or while a command is being
// exchanged with them, many times over: every monitor must end, and no
// descriptor or thread may be left behind.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "protocol/DeviceLists.h"
#include "protocol/Hid_pellamid7.h"
#include "tests/monitors/monitor_fixture.h"
#include "tests/support/process_resources.h"

namespace {

size_t OpenDescriptors() { return OpenHandleCount(); }
size_t Threads() { return ThreadCount(); }

// A thread leaves the process's list a moment after its monitor's count drops.
bool WaitForThreadsAtMost(size_t expected) {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (Threads() > expected) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class UnplugSoakTest : public MonitorTest {};

TEST_F(UnplugSoakTest, TwoHundredPlugUnplugCyclesLeaveNothingBehind) {
  // Counted after a first cycle, so that threads a runtime starts on the
  // first thread creation (ThreadSanitizer's background thread) are in the
  // starting figures too.
  size_t descriptorsBefore = 0;
  size_t threadsBefore = 0;

  enum class Pull { DuringRead, OnNextRead, DuringFeatureExchange, AfterReports };
  constexpr Pull kPulls[] = {Pull::DuringRead, Pull::OnNextRead, Pull::DuringFeatureExchange,
                             Pull::AfterReports};
  for (int cycle = 0; cycle <= 200; ++cycle) {
    SCOPED_TRACE(testing::Message() << "cycle " << cycle);
    const Pull pull = kPulls[cycle % 4];
    const bool es2862 = cycle % 8 >= 4;
    const std::string name = "dev" + std::to_string(cycle);
    SimDeviceSpec spec = es2862 ? SimEs2862(name) : SimKeyboard(name);
    // The ES2862 firmware answers no command, but a feature report still
    // reaches its interface, so it can be pulled out during one.
    SimVendorCollection(spec)->featureReportLength = 64;
    const std::string path = Plug(spec);
    if (pull == Pull::OnNextRead) m_Sim->InjectFault(name, SimFault::UnplugOnNextRead);
    if (es2862) {
      StartEs2862(path);
    } else {
      StartId7m(path, "Keyboard");
    }

    switch (pull) {
      case Pull::DuringRead:
        ASSERT_TRUE(WaitUntilReading(name));
        m_Sim->Unplug(name);
        break;
      case Pull::OnNextRead:
        break;
      case Pull::DuringFeatureExchange:
        ASSERT_TRUE(WaitUntilReading(name));
        m_Sim->InjectFault(name, SimFault::UnplugOnNextFeature);
        EXPECT_FALSE(EnterNotifyMode(path));
        EXPECT_FALSE(IsModelInfoDevice(path));
        break;
      case Pull::AfterReports:
        ASSERT_TRUE(WaitUntilReading(name));
        for (int i = 0; i < 10; ++i) {
          m_Sim->SendInputReport(name, es2862 ? Es2862Report(0x87, 1) : KeyboardReport(0x81, 0));
        }
        m_Sim->Unplug(name);
        break;
    }
    ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline));
    EXPECT_FALSE(m_Sim->IsPresent(name));
    m_Sim->TakeChanges();
    if (cycle == 0) {
      // The ended monitor's thread leaves /proc/self/task a moment later.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      descriptorsBefore = OpenDescriptors();
      threadsBefore = Threads();
    }
  }

  EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
  EXPECT_TRUE(WaitForThreadsAtMost(threadsBefore))
      << Threads() << " threads, " << threadsBefore << " before";
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

}  // namespace
