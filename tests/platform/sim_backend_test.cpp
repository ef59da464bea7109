// The simulated backend's own behaviour: paths, report routing and
// queueing, blocking reads, unplugging and injected faults.
#include "platform/sim/sim_backend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/interface_path.h"
#include "tests/support/blocked_read.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Status = HidOpenDevice::ReadStatus;

namespace {

constexpr std::chrono::seconds kPatience{30};

// A read on another thread, started and known to be blocked.
std::future<ReadResult> BlockedRead(SimBackend& sim, const std::string& name,
                                    HidOpenDevice& device) {
  auto result = StartRead(device);
  EXPECT_TRUE(sim.WaitForReaders(name, 1, kPatience));
  return result;
}

std::vector<uint8_t> Frame(uint8_t code) {
  std::vector<uint8_t> frame(64, 0);
  frame[0] = 0x07;
  frame[1] = code;
  return frame;
}

bool Readable(WaitHandle handle) { return IsWaitHandleRaised(handle); }

TEST(SimBackendPaths, FollowTheHidrawNaming) {
  SimBackend sim;
  EXPECT_THAT(sim.Plug(SimForeign("a")), ElementsAre("/dev/hidraw-sim/0#0003:6B21:0011.0001"));
  EXPECT_THAT(sim.Plug(SimMouse("b")), ElementsAre("/dev/hidraw-sim/1&col01#0003:3A5C:4D31.0002",
                                                   "/dev/hidraw-sim/1&col02#0003:3A5C:4D31.0002"));
  // A name already present is refused without using up a node or an
  // instance; a replugged device gets the lowest free node again, as the
  // kernel hands hidraw numbers out, but a new instance.
  EXPECT_THAT(sim.Plug(SimMouse("b")), IsEmpty());
  ASSERT_TRUE(sim.Unplug("b"));
  EXPECT_FALSE(sim.Unplug("b"));
  EXPECT_THAT(sim.Plug(SimMouse("b")), ElementsAre("/dev/hidraw-sim/1&col01#0003:3A5C:4D31.0003",
                                                   "/dev/hidraw-sim/1&col02#0003:3A5C:4D31.0003"));
  ASSERT_TRUE(sim.Unplug("a"));
  EXPECT_THAT(sim.Plug(SimKeyboard("c")).front(), "/dev/hidraw-sim/0&col01#0003:3A5C:4B31.0004");
  EXPECT_THAT(sim.Plug(SimForeign("d")), ElementsAre("/dev/hidraw-sim/2#0003:6B21:0011.0005"));
}

TEST(SimBackendPaths, AnOldPathReachesNothingOnTheDeviceThatTookItsNode) {
  SimBackend sim;
  const std::string kept = sim.Plug(SimMouse("m")).at(1);
  ASSERT_TRUE(sim.Unplug("m"));
  const std::string now = sim.Plug(SimMouse("other")).at(1);
  EXPECT_EQ(kept.substr(0, kept.find('#')), now.substr(0, now.find('#')));
  EXPECT_FALSE(sim.QueryInterface(kept).has_value());
  EXPECT_FALSE(sim.ReadIndexedString(kept, 1).has_value());
  EXPECT_EQ(sim.Open(kept), nullptr);
  EXPECT_NE(sim.DeviceKeyOf(kept), sim.DeviceKeyOf(now));
  // Lists keep paths lower-cased.
  EXPECT_NE(sim.Open(AsciiLower(now)), nullptr);
  EXPECT_EQ(sim.DeviceKeyOf(AsciiLower(now)), sim.DeviceKeyOf(sim.PathsOf("other").at(0)));
}

TEST(SimBackendChanges, DescriptorIsReadableExactlyWhileChangesPend) {
  SimBackend sim;
  const WaitHandle fd = sim.ChangeHandle();
  ASSERT_NE(fd, kNoWaitHandle);
  EXPECT_FALSE(Readable(fd));
  sim.Plug(SimMouse("m"));
  EXPECT_TRUE(Readable(fd));
  EXPECT_EQ(sim.TakeChanges().size(), 2u);
  EXPECT_FALSE(Readable(fd));
  EXPECT_THAT(sim.TakeChanges(), IsEmpty());
}

class SimReports : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Paths = m_Sim.Plug(SimKeyboard("kb"));
    ASSERT_EQ(m_Paths.size(), 4u);
    m_Boot = m_Sim.Open(m_Paths[0]);
    m_Vendor = m_Sim.Open(m_Paths[3]);
    ASSERT_TRUE(m_Boot && m_Vendor);
  }

  SimBackend m_Sim;
  std::vector<std::string> m_Paths;
  std::unique_ptr<HidOpenDevice> m_Boot, m_Vendor;
};

TEST_F(SimReports, ReportsReachOnlyTheCollectionCarryingTheirId) {
  EXPECT_EQ(m_Sim.SendInputReport("kb", {0x07, 0x20, 0, 0, 0x83}), 1);
  EXPECT_EQ(m_Sim.SendInputReport("kb", {0x01, 0, 0, 0x04}), 1);
  EXPECT_EQ(m_Sim.SendInputReport("kb", {0x03, 0xE9, 0x00}), 0);  // nobody listens
  EXPECT_EQ(m_Sim.SendInputReport("kb", {0x09, 0x00}), -1);       // no such report
  EXPECT_EQ(m_Sim.SendInputReport("nobody", {0x07}), -1);

  ReadResult vendor = Read(*m_Vendor);
  EXPECT_EQ(vendor.status, Status::Report);
  EXPECT_THAT(vendor.bytes, ElementsAre(0x07, 0x20, 0, 0, 0x83));
  ReadResult boot = Read(*m_Boot);
  EXPECT_THAT(boot.bytes, ElementsAre(0x01, 0, 0, 0x04));
}

TEST_F(SimReports, LongReportIsCutToTheReadersCapacity) {
  std::vector<uint8_t> report(80);
  for (size_t i = 0; i < report.size(); ++i) report[i] = static_cast<uint8_t>(i == 0 ? 7 : i);
  m_Sim.SendInputReport("kb", report);
  ReadResult cut = Read(*m_Vendor, 10);
  EXPECT_EQ(cut.bytes.size(), 10u);
  EXPECT_EQ(cut.bytes[9], 9);
}

TEST_F(SimReports, FullQueueDropsTheOldestAndCountsIt) {
  const size_t extra = 5;
  for (size_t i = 0; i < SimBackend::kReportQueueDepth + extra; ++i) {
    m_Sim.SendInputReport("kb", {0x07, static_cast<uint8_t>(i)});
  }
  EXPECT_EQ(m_Sim.DroppedReports("kb"), extra);
  for (size_t i = extra; i < SimBackend::kReportQueueDepth + extra; ++i) {
    ReadResult r = Read(*m_Vendor);
    ASSERT_EQ(r.status, Status::Report);
    EXPECT_EQ(r.bytes[1], static_cast<uint8_t>(i));
  }
}

TEST_F(SimReports, CancelWakesABlockedReadAndEveryLaterOne) {
  auto pending = BlockedRead(m_Sim, "kb", *m_Vendor);
  m_Vendor->Cancel();
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Cancelled);

  m_Sim.SendInputReport("kb", {0x07, 0x20});
  EXPECT_EQ(Read(*m_Vendor).status, Status::Cancelled);
  m_Vendor->Cancel();  // idempotent
}

TEST_F(SimReports, ReportWakesABlockedRead) {
  auto pending = BlockedRead(m_Sim, "kb", *m_Vendor);
  m_Sim.SendInputReport("kb", {0x07, 0x01});
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_THAT(pending.get().bytes, ElementsAre(0x07, 0x01));
}

TEST_F(SimReports, UnplugEndsBlockedReadsAndFailsEverythingAfter) {
  m_Sim.SendInputReport("kb", {0x01, 0x00});
  auto pending = BlockedRead(m_Sim, "kb", *m_Vendor);
  ASSERT_TRUE(m_Sim.Unplug("kb"));
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);

  // A report queued before the unplug is still read, as from hidraw; then
  // the handle reads as gone.
  EXPECT_EQ(Read(*m_Boot).status, Status::Report);
  EXPECT_EQ(Read(*m_Boot).status, Status::Gone);
  const std::vector<uint8_t> frame = Frame(0x1F);
  EXPECT_FALSE(m_Vendor->SetFeature(frame.data(), frame.size()));
  EXPECT_EQ(m_Sim.Open(m_Paths[3]), nullptr);
  EXPECT_EQ(m_Sim.QueryInterface(m_Paths[3]), std::nullopt);

  // A device plugged again under the same name does not revive old handles.
  m_Sim.Plug(SimKeyboard("kb"));
  m_Sim.SendInputReport("kb", {0x07, 0x20});
  EXPECT_EQ(Read(*m_Vendor).status, Status::Gone);
}

TEST_F(SimReports, UnplugOnNextReadEndsAPendingRead) {
  auto pending = BlockedRead(m_Sim, "kb", *m_Vendor);
  m_Sim.InjectFault("kb", SimFault::UnplugOnNextRead);
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);
  EXPECT_FALSE(m_Sim.IsPresent("kb"));
}

TEST_F(SimReports, UnplugOnNextReadEndsTheNextRead) {
  m_Sim.InjectFault("kb", SimFault::UnplugOnNextRead);
  EXPECT_TRUE(m_Sim.IsPresent("kb"));
  m_Sim.SendInputReport("kb", {0x07, 0x20});
  EXPECT_EQ(Read(*m_Vendor).status, Status::Gone);
  EXPECT_FALSE(m_Sim.IsPresent("kb"));
  EXPECT_EQ(m_Sim.TakeChanges().size(), 8u);  // four arrivals, four removals
}

TEST_F(SimReports, DestroyingTheBackendEndsBlockedReads) {
  auto sim = std::make_unique<SimBackend>();
  const std::string path = sim->Plug(SimMouse("m")).at(1);
  std::unique_ptr<HidOpenDevice> handle = sim->Open(path);
  auto pending = BlockedRead(*sim, "m", *handle);
  sim.reset();
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);
}

TEST_F(SimReports, ConcurrentSenderLosesNothingUncounted) {
  constexpr int kReports = 20000;
  std::thread sender([this] {
    for (int i = 0; i < kReports; ++i) m_Sim.SendInputReport("kb", {0x07, 0x20});
    m_Sim.SendInputReport("kb", {0x07, 0xFF});  // the end marker
  });
  uint64_t received = 0;
  for (;;) {
    ReadResult r = Read(*m_Vendor);
    ASSERT_EQ(r.status, Status::Report);
    if (r.bytes[1] == 0xFF) break;
    ++received;
  }
  sender.join();
  EXPECT_EQ(received + m_Sim.DroppedReports("kb"), static_cast<uint64_t>(kReports));
}

// Feature exchanges through an open vendor handle, per injected fault.
using FeatureStatus = HidOpenDevice::FeatureStatus;

struct FaultCase {
  const char* what;
  std::optional<SimFault> fault;
  FeatureStatus write;
  FeatureStatus read;
  uint8_t echoedCode;
  uint8_t echoedArgument;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

class SimFeatureFaults : public SimReports, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SimFeatureFaults, ShapeTheExchange) {
  const FaultCase& c = GetParam();
  if (c.fault) m_Sim.InjectFault("kb", *c.fault);

  std::vector<uint8_t> frame = Frame(0x1F);
  EXPECT_EQ(m_Vendor->SetFeature(frame.data(), frame.size()).status, c.write);
  std::fill(frame.begin(), frame.end(), 0xAB);
  frame[0] = 0x07;
  const auto read = m_Vendor->GetFeature(frame.data(), frame.size());
  ASSERT_EQ(read.status, c.read);
  if (read) {
    EXPECT_EQ(read.bytes, frame.size());
    EXPECT_EQ(frame[1], c.echoedCode);
    EXPECT_EQ(frame[2], c.echoedArgument);
  }
  // Every report that reached the device is on record, taken or not.
  EXPECT_EQ(m_Sim.FeatureLog("kb").size(), c.write == FeatureStatus::Gone ? 0u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimFeatureFaults,
    ::testing::Values(FaultCase{"none", std::nullopt, FeatureStatus::Done, FeatureStatus::Done,
                                0x1F, 0x00},
                      FaultCase{"refuse", SimFault::RefuseFeatures, FeatureStatus::Refused,
                                FeatureStatus::Refused, 0, 0},
                      FaultCase{"no_answer", SimFault::NoFeatureAnswer, FeatureStatus::TimedOut,
                                FeatureStatus::TimedOut, 0, 0},
                      FaultCase{"wrong_code", SimFault::WrongCommandEcho, FeatureStatus::Done,
                                FeatureStatus::Done, 0x1E, 0x00},
                      FaultCase{"wrong_argument", SimFault::WrongArgumentEcho, FeatureStatus::Done,
                                FeatureStatus::Done, 0x1F, 0x5A},
                      FaultCase{"unplugged", SimFault::UnplugOnNextFeature, FeatureStatus::Gone,
                                FeatureStatus::Gone, 0, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(SimShortAnswers, OnlyTheBytesSentAreTheDevicesTheRestIsUntouched) {
  SimBackend sim;
  SimDeviceSpec spec = SimKeyboard("kb");
  spec.featureAnswerBytes = 12;
  const auto vendor = sim.Open(sim.Plug(spec).at(3));
  ASSERT_NE(vendor, nullptr);
  std::vector<uint8_t> frame(64, 0);
  frame[0] = 0x07;
  frame[1] = 0x1F;
  ASSERT_TRUE(vendor->SetFeature(frame.data(), frame.size()));
  std::fill(frame.begin() + 1, frame.end(), 0xCD);
  const auto read = vendor->GetFeature(frame.data(), frame.size());
  ASSERT_TRUE(read);
  EXPECT_EQ(read.bytes, 12u);
  EXPECT_EQ(frame[1], 0x1F);
  EXPECT_EQ(frame[11], 0x1A);  // payload byte 3: the model word's high byte
  EXPECT_EQ(frame[12], 0xCD);
}

TEST_F(SimReports, FaultsLastUntilCleared) {
  m_Sim.InjectFault("kb", SimFault::RefuseFeatures);
  const std::vector<uint8_t> frame = Frame(0x1F);
  EXPECT_FALSE(m_Vendor->SetFeature(frame.data(), frame.size()));
  EXPECT_FALSE(m_Vendor->SetFeature(frame.data(), frame.size()));
  m_Sim.ClearFaults("kb");
  EXPECT_TRUE(m_Vendor->SetFeature(frame.data(), frame.size()));
}

TEST_F(SimReports, FeatureOfTheWrongLengthIsRefusedButRecorded) {
  std::vector<uint8_t> frame = Frame(0x1F);
  frame.resize(72);
  EXPECT_FALSE(m_Vendor->SetFeature(frame.data(), frame.size()));
  EXPECT_FALSE(m_Boot->SetFeature(frame.data(), 64));  // no feature report there
  const std::vector<SimFeatureRecord> log = m_Sim.FeatureLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].bytes.size(), 72u);
  EXPECT_EQ(log[1].path, m_Paths[0]);
}

TEST_F(SimReports, UnplugOnNextFeatureFailsTheExchangeAndRemovesTheDevice) {
  auto pending = BlockedRead(m_Sim, "kb", *m_Vendor);
  m_Sim.InjectFault("kb", SimFault::UnplugOnNextFeature);
  std::unique_ptr<HidOpenDevice> command = m_Sim.Open(m_Paths[3]);
  ASSERT_TRUE(command);
  const std::vector<uint8_t> frame = Frame(0x09);
  EXPECT_FALSE(command->SetFeature(frame.data(), frame.size()));
  EXPECT_FALSE(m_Sim.IsPresent("kb"));
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);
}

TEST_F(SimReports, NotificationModeIsTrackedPerDevice) {
  std::vector<uint8_t> enter = Frame(0x09);
  enter[8] = 1;
  ASSERT_TRUE(m_Vendor->SetFeature(enter.data(), enter.size()));
  EXPECT_TRUE(m_Sim.InNotificationMode("kb"));
  const std::vector<uint8_t> leave = Frame(0x09);
  ASSERT_TRUE(m_Vendor->SetFeature(leave.data(), leave.size()));
  EXPECT_FALSE(m_Sim.InNotificationMode("kb"));
}

TEST_F(SimReports, ObserverRunsOutsideTheLock) {
  std::vector<size_t> logSizesSeen;
  // Calling back into the backend would deadlock if the lock were held.
  m_Sim.SetFeatureObserver([&](const SimFeatureRecord& record) {
    EXPECT_EQ(record.device, "kb");
    logSizesSeen.push_back(m_Sim.FeatureLog().size());
  });
  std::vector<uint8_t> frame = Frame(0x1F);
  m_Vendor->SetFeature(frame.data(), frame.size());
  m_Vendor->GetFeature(frame.data(), frame.size());
  EXPECT_THAT(logSizesSeen, ElementsAre(1u, 2u));
  const std::vector<SimFeatureRecord> log = m_Sim.FeatureLog("kb");
  EXPECT_EQ(log[1].kind, SimFeatureRecord::Kind::Get);
  EXPECT_THAT(log[1].bytes, ElementsAre(0x07));
  m_Sim.ClearFeatureLog();
  EXPECT_THAT(m_Sim.FeatureLog(), IsEmpty());
}

}  // namespace
