#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <future>
#include <thread>
#include <vector>

#include "platform/linux/hidraw_backend.h"
#include "tests/platform/device_log_fixture.h"
#include "tests/support/blocked_read.h"

namespace {

using Bytes = std::vector<uint8_t>;
using ReadStatus = HidOpenDevice::ReadStatus;

// A packet socket pair stands in for a hidraw node: one write is one read,
// like one input report.
class OpenDeviceOverSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    m_NodeEnd = fds[0];
    m_DeviceEnd = fds[1];
  }
  void TearDown() override { CloseDeviceEnd(); }

  std::unique_ptr<HidrawOpenDevice> Adopt(HidrawOpenDevice::ReportRouting routing = {}) {
    const int fd = m_NodeEnd;
    m_NodeEnd = -1;
    return HidrawOpenDevice::Adopt(fd, HidInterfaceInfo{}, routing);
  }

  void Send(const Bytes& report) {
    ASSERT_EQ(::write(m_DeviceEnd, report.data(), report.size()),
              static_cast<ssize_t>(report.size()));
  }

  void CloseDeviceEnd() {
    if (m_DeviceEnd >= 0) ::close(m_DeviceEnd);
    m_DeviceEnd = -1;
  }

  int m_NodeEnd = -1;
  int m_DeviceEnd = -1;
};

struct FramingCase {
  const char* name;
  bool numbered;
  std::vector<int> collectionIds;  // empty: every report is delivered
  std::vector<Bytes> sent;
  size_t capacity;
  Bytes expected;
};

class ReportFraming : public OpenDeviceOverSocket,
                      public ::testing::WithParamInterface<FramingCase> {};

TEST_P(ReportFraming, PutsTheReportIdInByteZeroAndRoutesByCollection) {
  const FramingCase& c = GetParam();
  HidrawOpenDevice::ReportRouting routing;
  routing.numbered = c.numbered;
  routing.onlyListedIds = !c.collectionIds.empty();
  for (int id : c.collectionIds) routing.ids.set(id);
  auto device = Adopt(routing);
  ASSERT_NE(device, nullptr);
  for (const Bytes& report : c.sent) Send(report);

  Bytes buffer(c.capacity + 4, 0xEE);
  size_t received = 99;
  ASSERT_EQ(device->ReadInputReport(buffer.data(), c.capacity, &received), ReadStatus::Report);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + received), c.expected);
  // Nothing beyond the capacity is touched.
  EXPECT_EQ(Bytes(buffer.begin() + c.capacity, buffer.end()), Bytes(4, 0xEE));
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportFraming,
    ::testing::Values(
        FramingCase{"UnnumberedGetsZeroInFront",
                    false,
                    {},
                    {{0x11, 0x22, 0x33}},
                    8,
                    {0x00, 0x11, 0x22, 0x33}},
        FramingCase{"NumberedPassesAsRead", true, {}, {{0x05, 0x11, 0x22}}, 8, {0x05, 0x11, 0x22}},
        FramingCase{"NumberedCutToCapacity", true, {}, {{0x05, 0x11, 0x22}}, 2, {0x05, 0x11}},
        FramingCase{"UnnumberedCutToCapacity", false, {}, {{0x11, 0x22, 0x33}}, 2, {0x00, 0x11}},
        FramingCase{"ZeroCapacityConsumesTheReport", true, {}, {{0x05, 0x11}}, 0, {}},
        FramingCase{"OtherCollectionsReportsSkipped",
                    true,
                    {7, 8},
                    {{0x01, 0xAA}, {0x02, 0xBB}, {0x08, 0xCC}},
                    8,
                    {0x08, 0xCC}},
        FramingCase{"UnnumberedReportsBelongToIdZero", false, {0}, {{0x42}}, 8, {0x00, 0x42}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenDeviceOverSocket, CancelWakesABlockedReadAndStaysCancelled) {
  auto device = Adopt();
  ASSERT_NE(device, nullptr);
  auto blocked = StartRead(*device, 8);
  // The read must still be waiting: no report, no error.
  ASSERT_TRUE(StillWaiting(blocked));
  device->Cancel();
  ASSERT_TRUE(EndsInTime(blocked));
  EXPECT_EQ(blocked.get().status, ReadStatus::Cancelled);

  // Even with a report waiting, a cancelled device reads nothing more.
  Send({0x01, 0x02});
  device->Cancel();
  const ReadResult later = Read(*device, 8);
  EXPECT_EQ(later.status, ReadStatus::Cancelled);
  EXPECT_TRUE(later.bytes.empty());
}

TEST_F(OpenDeviceOverSocket, SkippedReportsKeepTheReadWaitingUntilCancelled) {
  HidrawOpenDevice::ReportRouting routing;
  routing.numbered = true;
  routing.onlyListedIds = true;
  routing.ids.set(3);
  auto device = Adopt(routing);
  ASSERT_NE(device, nullptr);
  auto blocked = StartRead(*device, 8);
  Send({0x01, 0xAA});
  Send({0x02, 0xBB});
  ASSERT_TRUE(StillWaiting(blocked));
  device->Cancel();
  const ReadResult result = blocked.get();
  EXPECT_EQ(result.status, ReadStatus::Cancelled);
  EXPECT_TRUE(result.restUntouched);  // a skipped report never reaches the caller
}

TEST_F(OpenDeviceOverSocket, HangUpMeansGoneForABlockedRead) {
  auto device = Adopt();
  ASSERT_NE(device, nullptr);
  auto blocked = StartRead(*device, 8);
  ASSERT_TRUE(StillWaiting(blocked));
  CloseDeviceEnd();
  ASSERT_TRUE(EndsInTime(blocked));
  EXPECT_EQ(blocked.get().status, ReadStatus::Gone);
  // And it stays gone rather than spinning or blocking.
  EXPECT_EQ(Read(*device, 8).status, ReadStatus::Gone);
}

TEST(OpenDeviceOverPipe, HangUpWithoutDataIsGone) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
  auto device = HidrawOpenDevice::Adopt(fds[0], std::nullopt, {});
  ASSERT_NE(device, nullptr);
  ::close(fds[1]);  // poll() now gives POLLHUP without POLLIN
  uint8_t buffer[8];
  size_t received = 0;
  EXPECT_EQ(device->ReadInputReport(buffer, sizeof buffer, &received), ReadStatus::Gone);
  EXPECT_FALSE(device->Capabilities().has_value());
}

// Feature ioctls on one watched descriptor are counted and answered from a
// script instead of the kernel, so that the backend's own checks and its
// reading of the kernel's answers can be seen; every other ioctl passes on.
struct ScriptedIoctl {
  int result = 0;  // >= 0: the ioctl's result; < 0: fails with `error`
  int error = 0;
};
std::atomic<int> g_watchedFd{-1};
std::atomic<int> g_featureIoctls{0};
ScriptedIoctl g_script;

bool IsFeatureIoctl(unsigned long request) {
  const unsigned long withoutSize =
      request & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT);
  return withoutSize ==
             (HIDIOCSFEATURE(0) & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT)) ||
         withoutSize ==
             (HIDIOCGFEATURE(0) & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT));
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  if (fd >= 0 && fd == g_watchedFd.load() && IsFeatureIoctl(request)) {
    ++g_featureIoctls;
    if (g_script.result < 0) errno = g_script.error;
    return g_script.result < 0 ? -1 : g_script.result;
  }
  using Real = int (*)(int, unsigned long, ...);
  static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "ioctl"));
  return real(fd, request, argument);
}

namespace {

class ScriptedFeatureIoctls : public OpenDeviceOverSocket {
 protected:
  void SetUp() override {
    OpenDeviceOverSocket::SetUp();
    g_watchedFd = m_NodeEnd;
    g_featureIoctls = 0;
  }
  void TearDown() override {
    g_watchedFd = -1;
    OpenDeviceOverSocket::TearDown();
  }
};

TEST_F(ScriptedFeatureIoctls, LengthsTheIoctlCannotEncodeNeverReachTheKernel) {
  auto device = Adopt();
  ASSERT_NE(device, nullptr);
  g_script = {16383, 0};
  struct Case {
    size_t length;
    bool reachesKernel;
  } cases[] = {{0, false}, {1, true}, {72, true}, {16383, true}, {16384, false}, {1u << 20, false}};
  std::vector<uint8_t> buffer((1u << 20) + 1, 0x07);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    g_featureIoctls = 0;
    EXPECT_EQ(static_cast<bool>(device->SetFeature(buffer.data(), c.length)), c.reachesKernel);
    EXPECT_EQ(static_cast<bool>(device->GetFeature(buffer.data(), c.length)), c.reachesKernel);
    EXPECT_EQ(g_featureIoctls.load(), c.reachesKernel ? 2 : 0);
  }
}

// What the kernel's answer means above the backend: the byte count of a
// short answer, and a timeout kept apart from a refusal and a removal.
TEST_F(ScriptedFeatureIoctls, KernelAnswersKeepTheirCountAndTheirReason) {
  using Status = HidOpenDevice::FeatureStatus;
  auto device = Adopt();
  ASSERT_NE(device, nullptr);
  struct Case {
    ScriptedIoctl kernel;
    Status status;
    size_t bytes;
  } cases[] = {
      {{72, 0}, Status::Done, 72},       {{12, 0}, Status::Done, 12},
      {{0, 0}, Status::Done, 0},         {{-1, ETIMEDOUT}, Status::TimedOut, 0},
      {{-1, EPIPE}, Status::Refused, 0}, {{-1, EIO}, Status::Refused, 0},
      {{-1, ENODEV}, Status::Gone, 0},   {{-1, ESHUTDOWN}, Status::Gone, 0},
  };
  uint8_t buffer[72] = {0x07};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kernel.result << " errno " << c.kernel.error);
    g_script = c.kernel;
    for (const auto& transfer :
         {device->SetFeature(buffer, sizeof buffer), device->GetFeature(buffer, sizeof buffer)}) {
      EXPECT_EQ(transfer.status, c.status);
      EXPECT_EQ(transfer.bytes, c.bytes);
    }
  }
}

// A failed feature ioctl leaves the kernel's reason in the device log, and
// the caller still sorts the failure by errno.
TEST_F(ScriptedFeatureIoctls, FailuresLogTheKernelsReason) {
  using Status = HidOpenDevice::FeatureStatus;
  CapturedDeviceLog log;
  auto device = Adopt();
  ASSERT_NE(device, nullptr);
  struct Case {
    ScriptedIoctl kernel;
    Status status;
    const char* reason;  // nullptr: nothing logged
  } cases[] = {
      {{72, 0}, Status::Done, nullptr},
      {{-1, EPIPE}, Status::Refused, "Broken pipe"},
      {{-1, ETIMEDOUT}, Status::TimedOut, "Connection timed out"},
      {{-1, ENODEV}, Status::Gone, "No such device"},
  };
  uint8_t buffer[72] = {0x07};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kernel.result << " errno " << c.kernel.error);
    g_script = c.kernel;
    EXPECT_EQ(device->SetFeature(buffer, sizeof buffer).status, c.status);
    EXPECT_EQ(device->GetFeature(buffer, sizeof buffer).status, c.status);
    std::vector<std::string> expected;
    if (c.reason != nullptr) {
      expected = {std::string("ioctl (SFEATURE): ") + c.reason,
                  std::string("ioctl (GFEATURE): ") + c.reason};
    }
    EXPECT_EQ(log.Take(), expected);
  }
}

TEST(OpenDeviceAdopt, RefusesAnInvalidDescriptor) {
  EXPECT_EQ(HidrawOpenDevice::Adopt(-1, std::nullopt, {}), nullptr);
}

}  // namespace
