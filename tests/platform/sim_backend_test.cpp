// The simulated backend's own behaviour: paths, report routing and
// queueing, blocking reads, unplugging and injected faults.
#include "platform/sim/sim_backend.h"
#include "platform/ascii_text.h"
#include "platform/interface_path.h"
#include "tests/support/blocked_read.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <array>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Status = HidOpenDevice::ReadStatus;

namespace {

constexpr std::chrono::seconds kPatience{10};

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

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

TEST(SimBackendPaths, FollowTheHidrawNaming) {
  SimBackend sim;
  EXPECT_THAT(sim.Plug(SimForeign("a")), ElementsAre("/dev/hidraw-sim/0#0003:6B21:0011.0001"));
  EXPECT_THAT(sim.Plug(SimMouse("b")),
              ElementsAre("/dev/hidraw-sim/1&col01#0003:3A5C:4D31.0002",
                          "/dev/hidraw-sim/1&col02#0003:3A5C:4D31.0002"));
  // A name already present is refused without using up a node or an
  // instance; a replugged device gets the lowest free node again, as the
  // kernel hands hidraw numbers out, but a new instance.
  EXPECT_THAT(sim.Plug(SimMouse("b")), IsEmpty());
  ASSERT_TRUE(sim.Unplug("b"));
  EXPECT_FALSE(sim.Unplug("b"));
  EXPECT_THAT(sim.Plug(SimMouse("b")),
              ElementsAre("/dev/hidraw-sim/1&col01#0003:3A5C:4D31.0003",
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
  const int fd = sim.ChangeFd();
  ASSERT_GE(fd, 0);
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
    paths_ = sim_.Plug(SimKeyboard("kb"));
    ASSERT_EQ(paths_.size(), 4u);
    boot_ = sim_.Open(paths_[0]);
    vendor_ = sim_.Open(paths_[3]);
    ASSERT_TRUE(boot_ && vendor_);
  }

  SimBackend sim_;
  std::vector<std::string> paths_;
  std::unique_ptr<HidOpenDevice> boot_, vendor_;
};

TEST_F(SimReports, ReportsReachOnlyTheCollectionCarryingTheirId) {
  EXPECT_EQ(sim_.SendInputReport("kb", {0x07, 0x20, 0, 0, 0x83}), 1);
  EXPECT_EQ(sim_.SendInputReport("kb", {0x01, 0, 0, 0x04}), 1);
  EXPECT_EQ(sim_.SendInputReport("kb", {0x03, 0xE9, 0x00}), 0);  // nobody listens
  EXPECT_EQ(sim_.SendInputReport("kb", {0x09, 0x00}), -1);       // no such report
  EXPECT_EQ(sim_.SendInputReport("nobody", {0x07}), -1);

  ReadResult vendor = Read(*vendor_);
  EXPECT_EQ(vendor.status, Status::Report);
  EXPECT_THAT(vendor.bytes, ElementsAre(0x07, 0x20, 0, 0, 0x83));
  ReadResult boot = Read(*boot_);
  EXPECT_THAT(boot.bytes, ElementsAre(0x01, 0, 0, 0x04));
}

TEST_F(SimReports, LongReportIsCutToTheReadersCapacity) {
  std::vector<uint8_t> report(80);
  for (size_t i = 0; i < report.size(); ++i) report[i] = static_cast<uint8_t>(i == 0 ? 7 : i);
  sim_.SendInputReport("kb", report);
  ReadResult cut = Read(*vendor_, 10);
  EXPECT_EQ(cut.bytes.size(), 10u);
  EXPECT_EQ(cut.bytes[9], 9);
}

TEST_F(SimReports, FullQueueDropsTheOldestAndCountsIt) {
  const size_t extra = 5;
  for (size_t i = 0; i < SimBackend::kReportQueueDepth + extra; ++i) {
    sim_.SendInputReport("kb", {0x07, static_cast<uint8_t>(i)});
  }
  EXPECT_EQ(sim_.DroppedReports("kb"), extra);
  for (size_t i = extra; i < SimBackend::kReportQueueDepth + extra; ++i) {
    ReadResult r = Read(*vendor_);
    ASSERT_EQ(r.status, Status::Report);
    EXPECT_EQ(r.bytes[1], static_cast<uint8_t>(i));
  }
}

TEST_F(SimReports, CancelWakesABlockedReadAndEveryLaterOne) {
  auto pending = BlockedRead(sim_, "kb", *vendor_);
  vendor_->Cancel();
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Cancelled);

  sim_.SendInputReport("kb", {0x07, 0x20});
  EXPECT_EQ(Read(*vendor_).status, Status::Cancelled);
  vendor_->Cancel();  // idempotent
}

TEST_F(SimReports, ReportWakesABlockedRead) {
  auto pending = BlockedRead(sim_, "kb", *vendor_);
  sim_.SendInputReport("kb", {0x07, 0x01});
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_THAT(pending.get().bytes, ElementsAre(0x07, 0x01));
}

TEST_F(SimReports, UnplugEndsBlockedReadsAndFailsEverythingAfter) {
  sim_.SendInputReport("kb", {0x01, 0x00});
  auto pending = BlockedRead(sim_, "kb", *vendor_);
  ASSERT_TRUE(sim_.Unplug("kb"));
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);

  // A report queued before the unplug is still read, as from hidraw; then
  // the handle reads as gone.
  EXPECT_EQ(Read(*boot_).status, Status::Report);
  EXPECT_EQ(Read(*boot_).status, Status::Gone);
  const std::vector<uint8_t> frame = Frame(0x1F);
  EXPECT_FALSE(vendor_->SetFeature(frame.data(), frame.size()));
  EXPECT_EQ(sim_.Open(paths_[3]), nullptr);
  EXPECT_EQ(sim_.QueryInterface(paths_[3]), std::nullopt);

  // A device plugged again under the same name does not revive old handles.
  sim_.Plug(SimKeyboard("kb"));
  sim_.SendInputReport("kb", {0x07, 0x20});
  EXPECT_EQ(Read(*vendor_).status, Status::Gone);
}

TEST_F(SimReports, UnplugOnNextReadEndsAPendingRead) {
  auto pending = BlockedRead(sim_, "kb", *vendor_);
  sim_.InjectFault("kb", SimFault::UnplugOnNextRead);
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);
  EXPECT_FALSE(sim_.IsPresent("kb"));
}

TEST_F(SimReports, UnplugOnNextReadEndsTheNextRead) {
  sim_.InjectFault("kb", SimFault::UnplugOnNextRead);
  EXPECT_TRUE(sim_.IsPresent("kb"));
  sim_.SendInputReport("kb", {0x07, 0x20});
  EXPECT_EQ(Read(*vendor_).status, Status::Gone);
  EXPECT_FALSE(sim_.IsPresent("kb"));
  EXPECT_EQ(sim_.TakeChanges().size(), 8u);  // four arrivals, four removals
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
    for (int i = 0; i < kReports; ++i) sim_.SendInputReport("kb", {0x07, 0x20});
    sim_.SendInputReport("kb", {0x07, 0xFF});  // the end marker
  });
  uint64_t received = 0;
  for (;;) {
    ReadResult r = Read(*vendor_);
    ASSERT_EQ(r.status, Status::Report);
    if (r.bytes[1] == 0xFF) break;
    ++received;
  }
  sender.join();
  EXPECT_EQ(received + sim_.DroppedReports("kb"), static_cast<uint64_t>(kReports));
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
  if (c.fault) sim_.InjectFault("kb", *c.fault);

  std::vector<uint8_t> frame = Frame(0x1F);
  EXPECT_EQ(vendor_->SetFeature(frame.data(), frame.size()).status, c.write);
  std::fill(frame.begin(), frame.end(), 0xAB);
  frame[0] = 0x07;
  const auto read = vendor_->GetFeature(frame.data(), frame.size());
  ASSERT_EQ(read.status, c.read);
  if (read) {
    EXPECT_EQ(read.bytes, frame.size());
    EXPECT_EQ(frame[1], c.echoedCode);
    EXPECT_EQ(frame[2], c.echoedArgument);
  }
  // Every report that reached the device is on record, taken or not.
  EXPECT_EQ(sim_.FeatureLog("kb").size(), c.write == FeatureStatus::Gone ? 0u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimFeatureFaults,
    ::testing::Values(
        FaultCase{"none", std::nullopt, FeatureStatus::Done, FeatureStatus::Done, 0x1F, 0x00},
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
  sim_.InjectFault("kb", SimFault::RefuseFeatures);
  const std::vector<uint8_t> frame = Frame(0x1F);
  EXPECT_FALSE(vendor_->SetFeature(frame.data(), frame.size()));
  EXPECT_FALSE(vendor_->SetFeature(frame.data(), frame.size()));
  sim_.ClearFaults("kb");
  EXPECT_TRUE(vendor_->SetFeature(frame.data(), frame.size()));
}

TEST_F(SimReports, FeatureOfTheWrongLengthIsRefusedButRecorded) {
  std::vector<uint8_t> frame = Frame(0x1F);
  frame.resize(72);
  EXPECT_FALSE(vendor_->SetFeature(frame.data(), frame.size()));
  EXPECT_FALSE(boot_->SetFeature(frame.data(), 64));  // no feature report there
  const std::vector<SimFeatureRecord> log = sim_.FeatureLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].bytes.size(), 72u);
  EXPECT_EQ(log[1].path, paths_[0]);
}

TEST_F(SimReports, UnplugOnNextFeatureFailsTheExchangeAndRemovesTheDevice) {
  auto pending = BlockedRead(sim_, "kb", *vendor_);
  sim_.InjectFault("kb", SimFault::UnplugOnNextFeature);
  std::unique_ptr<HidOpenDevice> command = sim_.Open(paths_[3]);
  ASSERT_TRUE(command);
  const std::vector<uint8_t> frame = Frame(0x09);
  EXPECT_FALSE(command->SetFeature(frame.data(), frame.size()));
  EXPECT_FALSE(sim_.IsPresent("kb"));
  ASSERT_EQ(pending.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(pending.get().status, Status::Gone);
}

TEST_F(SimReports, NotificationModeIsTrackedPerDevice) {
  std::vector<uint8_t> enter = Frame(0x09);
  enter[8] = 1;
  ASSERT_TRUE(vendor_->SetFeature(enter.data(), enter.size()));
  EXPECT_TRUE(sim_.InNotificationMode("kb"));
  const std::vector<uint8_t> leave = Frame(0x09);
  ASSERT_TRUE(vendor_->SetFeature(leave.data(), leave.size()));
  EXPECT_FALSE(sim_.InNotificationMode("kb"));
}

TEST_F(SimReports, ObserverRunsOutsideTheLock) {
  std::vector<size_t> logSizesSeen;
  // Calling back into the backend would deadlock if the lock were held.
  sim_.SetFeatureObserver([&](const SimFeatureRecord& record) {
    EXPECT_EQ(record.device, "kb");
    logSizesSeen.push_back(sim_.FeatureLog().size());
  });
  std::vector<uint8_t> frame = Frame(0x1F);
  vendor_->SetFeature(frame.data(), frame.size());
  vendor_->GetFeature(frame.data(), frame.size());
  EXPECT_THAT(logSizesSeen, ElementsAre(1u, 2u));
  const std::vector<SimFeatureRecord> log = sim_.FeatureLog("kb");
  EXPECT_EQ(log[1].kind, SimFeatureRecord::Kind::Get);
  EXPECT_THAT(log[1].bytes, ElementsAre(0x07));
  sim_.ClearFeatureLog();
  EXPECT_THAT(sim_.FeatureLog(), IsEmpty());
}

}  // namespace
