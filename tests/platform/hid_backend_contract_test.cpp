// One table of behaviours run against every HID backend: the simulated one
// must behave as the real ones do, or the tests above the seam test a
// system that does not exist.
#include "tests/platform/hid_backend_contract.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/blocked_read.h"

namespace {

using ReadStatus = HidOpenDevice::ReadStatus;

class HidBackendContract : public ::testing::TestWithParam<ContractBackend> {
 protected:
  void SetUp() override { m_UnderTest = GetParam().make(); }

  HidBackend& Backend() { return m_UnderTest->Backend(); }

  std::vector<std::string> Plug(const std::string& name, ContractShape shape) {
    return m_UnderTest->Plug(name, shape);
  }

  std::unique_ptr<HidBackendUnderTest> m_UnderTest;
};

// Skips a behaviour the backend cannot show, with its reason.
#define SKIP_UNLESS(reason_of)                        \
  if (const auto reason = m_UnderTest->reason_of()) { \
    GTEST_SKIP() << *reason;                          \
  }                                                   \
  static_assert(true)

bool SameInfo(const HidInterfaceInfo& a, const HidInterfaceInfo& b) {
  return a.vendorId == b.vendorId && a.productId == b.productId &&
         a.versionNumber == b.versionNumber && a.usagePage == b.usagePage && a.usage == b.usage &&
         a.inputReportByteLength == b.inputReportByteLength &&
         a.featureReportByteLength == b.featureReportByteLength;
}

TEST_P(HidBackendContract, EveryListedPathOpensWithTheCapabilitiesItWasListedWith) {
  SKIP_UNLESS(CannotPlug);
  const std::vector<std::string> paths = Plug("a", ContractShape::ThreeCollections);
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(Backend().EnumeratePaths(), paths);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const auto listed = Backend().QueryInterface(path);
    ASSERT_TRUE(listed.has_value());
    const auto device = Backend().Open(path);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->Capabilities().has_value());
    EXPECT_TRUE(SameInfo(*device->Capabilities(), *listed));
    EXPECT_FALSE(Backend().AccessDenied(path));
  }
  // Collections of one device share a key; another device has its own.
  const std::vector<std::string> other = Plug("b", ContractShape::Keyboard);
  ASSERT_EQ(other.size(), 1u);
  EXPECT_EQ(Backend().DeviceKeyOf(paths[0]), Backend().DeviceKeyOf(paths[2]));
  EXPECT_NE(Backend().DeviceKeyOf(paths[0]), Backend().DeviceKeyOf(other[0]));
}

TEST_P(HidBackendContract, ReportLengthsCountTheReportIdByte) {
  SKIP_UNLESS(CannotPlug);
  for (const ContractShape shape : {ContractShape::Keyboard, ContractShape::ThreeCollections}) {
    const std::string name = shape == ContractShape::Keyboard ? "kb" : "three";
    const std::vector<std::string> paths = Plug(name, shape);
    const std::vector<ContractCollection> collections = CollectionsOf(shape);
    ASSERT_EQ(paths.size(), collections.size());
    for (size_t i = 0; i < paths.size(); ++i) {
      SCOPED_TRACE(paths[i]);
      const auto info = Backend().QueryInterface(paths[i]);
      ASSERT_TRUE(info.has_value());
      EXPECT_EQ(info->vendorId, kContractVendorId);
      EXPECT_EQ(info->productId, kContractProductId);
      EXPECT_EQ(info->versionNumber, kContractVersion);
      EXPECT_EQ(info->usagePage, collections[i].usagePage);
      EXPECT_EQ(info->usage, collections[i].usage);
      EXPECT_EQ(info->inputReportByteLength, collections[i].inputReportBytes);
      EXPECT_EQ(info->featureReportByteLength, collections[i].featureReportBytes);
    }
  }
}

TEST_P(HidBackendContract, StringsAreTheDevicesAndOnlyIndexesOneAndTwo) {
  SKIP_UNLESS(CannotPlug);
  const std::string usb = Plug("usb", ContractShape::ThreeCollections).at(2);
  EXPECT_EQ(Backend().ReadIndexedString(usb, 1), kContractManufacturer);
  EXPECT_EQ(Backend().ReadIndexedString(usb, 2), kContractProduct);
  for (const int index : {0, 3, -1}) {
    EXPECT_FALSE(Backend().ReadIndexedString(usb, index).has_value()) << index;
  }
  // A device with no strings to read has no version either.
  const std::string bare = Plug("bare", ContractShape::KeyboardOffTheUsb).at(0);
  EXPECT_FALSE(Backend().ReadIndexedString(bare, 1).has_value());
  EXPECT_FALSE(Backend().ReadIndexedString(bare, 2).has_value());
  const auto info = Backend().QueryInterface(bare);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->versionNumber, 0);
}

// What a caller learns about a path that names no device: nothing, quietly.
void ExpectNothingBehind(HidBackend& backend, const std::string& path) {
  SCOPED_TRACE(path);
  EXPECT_FALSE(backend.QueryInterface(path).has_value());
  EXPECT_FALSE(backend.ReadIndexedString(path, 1).has_value());
  EXPECT_FALSE(backend.ReadIndexedString(path, 2).has_value());
  EXPECT_EQ(backend.Open(path), nullptr);
  EXPECT_FALSE(backend.AccessDenied(path));
}

TEST_P(HidBackendContract, APathThatNamesNoDeviceGivesNothing) {
  for (const std::string path :
       {"", "#", "/nowhere/hidraw0",
        "\\\\?\\hid#vid_0000&pid_0000#1&0&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"}) {
    ExpectNothingBehind(Backend(), path);
  }
}

// The node a path was found on goes to the next device plugged in: the
// kept path must name nothing rather than that device.
TEST_P(HidBackendContract, AVanishedPathGivesNothingAlsoOnceItsNodeIsTakenAgain) {
  SKIP_UNLESS(CannotPlug);
  const std::vector<std::string> kept = Plug("first", ContractShape::ThreeCollections);
  m_UnderTest->Unplug("first");
  for (const std::string& path : kept) ExpectNothingBehind(Backend(), path);
  const std::vector<std::string> now = Plug("second", ContractShape::ThreeCollections);
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_NE(now.at(i), kept[i]);
    EXPECT_NE(Backend().DeviceKeyOf(now[i]), Backend().DeviceKeyOf(kept[i]));
    ExpectNothingBehind(Backend(), kept[i]);
    EXPECT_NE(Backend().Open(now[i]), nullptr) << now[i];
  }
}

TEST_P(HidBackendContract, CancelEndsABlockedReadAndEveryLaterOne) {
  SKIP_UNLESS(CannotPlug);
  const auto device = Backend().Open(Plug("kb", ContractShape::Keyboard).at(0));
  ASSERT_NE(device, nullptr);
  auto pending = StartRead(*device);
  EXPECT_TRUE(StillWaiting(pending));
  device->Cancel();
  ASSERT_TRUE(EndsInTime(pending));
  EXPECT_EQ(pending.get().status, ReadStatus::Cancelled);
  const ReadResult later = Read(*device);
  EXPECT_EQ(later.status, ReadStatus::Cancelled);
  EXPECT_TRUE(later.bytes.empty());
  EXPECT_TRUE(later.restUntouched);
  device->Cancel();  // idempotent
  EXPECT_EQ(Read(*device).status, ReadStatus::Cancelled);
}

std::vector<std::pair<bool, std::string>> Flat(const std::vector<HidDeviceChange>& changes) {
  std::vector<std::pair<bool, std::string>> flat;
  for (const HidDeviceChange& c : changes) flat.emplace_back(c.arrived, c.path);
  return flat;
}

std::vector<std::pair<bool, std::string>> Each(bool arrived,
                                               const std::vector<std::string>& paths) {
  std::vector<std::pair<bool, std::string>> flat;
  for (const std::string& path : paths) flat.emplace_back(arrived, path);
  return flat;
}

TEST_P(HidBackendContract, ArrivalAndRemovalNameEveryCollectionPath) {
  SKIP_UNLESS(CannotPlug);
  SKIP_UNLESS(CannotWatch);
  const std::vector<std::string> three = Plug("three", ContractShape::ThreeCollections);
  const std::vector<std::string> keyboard = Plug("kb", ContractShape::Keyboard);
  auto expected = Each(true, three);
  const auto arrivals = Each(true, keyboard);
  expected.insert(expected.end(), arrivals.begin(), arrivals.end());
  EXPECT_EQ(Flat(m_UnderTest->Changes()), expected);

  m_UnderTest->Unplug("three");
  EXPECT_EQ(Flat(m_UnderTest->Changes()), Each(false, three));
  EXPECT_EQ(Backend().EnumeratePaths(), keyboard);
  EXPECT_TRUE(m_UnderTest->Changes().empty());
}

// Enumeration follows the node numbers, which the system hands out lowest
// free first: a device plugged in after another left comes first if it
// takes the lower number.
TEST_P(HidBackendContract, EnumerationFollowsTheNodesNotThePlugOrder) {
  SKIP_UNLESS(CannotPlug);
  Plug("first", ContractShape::Keyboard);
  const std::vector<std::string> second = Plug("second", ContractShape::ThreeCollections);
  m_UnderTest->Unplug("first");
  const std::vector<std::string> third = Plug("third", ContractShape::Keyboard);
  std::vector<std::string> expected = third;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(Backend().EnumeratePaths(), expected);
}

std::vector<ContractBackend> AllBackends() {
  std::vector<ContractBackend> all{SimulatedContractBackend()};
  for (ContractBackend& backend : PlatformContractBackends()) all.push_back(std::move(backend));
  return all;
}

INSTANTIATE_TEST_SUITE_P(Backends, HidBackendContract, ::testing::ValuesIn(AllBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

std::vector<ContractCollection> CollectionsOf(ContractShape shape) {
  switch (shape) {
    case ContractShape::Keyboard:
    case ContractShape::KeyboardOffTheUsb:
      return {{0x01, 0x06, 9, 0, {}}};
    case ContractShape::ThreeCollections:
      return {{0x0C, 0x01, 3, 0, {1}}, {0x01, 0x80, 2, 0, {2}}, {0xFF01, 0x01, 17, 65, {7, 8}}};
  }
  return {};
}
