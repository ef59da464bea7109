// Feature reports, device strings and report-reading handles of IO_HID over
// simulated devices.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/hid/hid_sim_fixture.h"

using ::testing::Each;
using ::testing::ElementsAreArray;

namespace {

constexpr size_t kCallerBuffer = 100;
constexpr uint8_t kCanary = 0xCC;

std::array<uint8_t, kCallerBuffer> ModelInfoQuery() {
  std::array<uint8_t, kCallerBuffer> buffer;
  buffer.fill(0);
  buffer[0] = 0x07;
  buffer[1] = 0x1F;
  return buffer;
}

class HidFeatureLength : public HidOnSim, public ::testing::WithParamInterface<uint16_t> {
 protected:
  void SetUp() override {
    HidOnSim::SetUp();
    SimDeviceSpec kb = SimKeyboard("kb");
    SimVendorCollection(kb)->featureReportLength = GetParam();
    m_Path = sim().Plug(kb).at(3);
  }
  std::string m_Path;
};

TEST_P(HidFeatureLength, WriteSendsExactlyTheFeatureLength) {
  const uint16_t length = GetParam();
  std::array<uint8_t, kCallerBuffer> buffer = ModelInfoQuery();
  for (size_t i = 2; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i);

  ASSERT_TRUE(HidWriteFeature(m_Path, buffer.data()));
  const std::vector<SimFeatureRecord> log = sim().FeatureLog("kb");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, SimFeatureRecord::Kind::Set);
  EXPECT_EQ(log[0].path, m_Path);
  EXPECT_THAT(log[0].bytes, ElementsAreArray(buffer.data(), length));
}

TEST_P(HidFeatureLength, ReadFillsExactlyTheFeatureLength) {
  const uint16_t length = GetParam();
  std::array<uint8_t, kCallerBuffer> buffer = ModelInfoQuery();
  ASSERT_TRUE(HidWriteFeature(m_Path, buffer.data()));

  buffer.fill(kCanary);
  buffer[0] = 0x07;  // the report to read
  ASSERT_TRUE(HidReadFeature(m_Path, buffer.data()));
  EXPECT_EQ(buffer[0], 0x07);
  EXPECT_EQ(buffer[1], 0x1F);
  if (length > 11) {
    EXPECT_EQ(buffer[10], 0x20);  // model word 0x1A20, little-endian
    EXPECT_EQ(buffer[11], 0x1A);
  }
  const std::vector<uint8_t> beyond(buffer.begin() + length, buffer.end());
  EXPECT_THAT(beyond, Each(kCanary));
}

INSTANTIATE_TEST_SUITE_P(Lengths, HidFeatureLength, ::testing::Values(8, 33, 64, 72));

TEST_F(HidOnSim, FeatureExchangeNeedsAFeatureReport) {
  SimDeviceSpec kb = SimKeyboard("kb");
  kb.collections[3].capabilitiesReadable = false;
  const std::vector<std::string> paths = sim().Plug(kb);

  for (const std::string& path : {paths[0], paths[3]}) {
    std::array<uint8_t, kCallerBuffer> buffer = ModelInfoQuery();
    EXPECT_FALSE(HidWriteFeature(path, buffer.data())) << path;
    EXPECT_FALSE(HidReadFeature(path, buffer.data())) << path;
  }
  // Neither the boot keyboard (no feature report) nor the collection whose
  // length is unknown was sent anything.
  EXPECT_TRUE(sim().FeatureLog().empty());
}

TEST_F(HidOnSim, DeviceThatRefusesMakesTheTransferFail) {
  const std::string path = sim().Plug(SimKeyboard("kb")).at(3);
  sim().InjectFault("kb", SimFault::RefuseFeatures);
  std::array<uint8_t, kCallerBuffer> buffer = ModelInfoQuery();
  EXPECT_FALSE(HidWriteFeature(path, buffer.data()));
  EXPECT_FALSE(HidReadFeature(path, buffer.data()));
}

// An open refused for lack of permission is told to the handler, from the
// feature exchanges of the discovery and the monitors' opens alike; a
// device that is merely gone or refuses its reports is not.
TEST_F(HidOnSim, OnlyARefusalForLackOfPermissionIsToldToTheHandler) {
  SimDeviceSpec denied = SimKeyboard("denied");
  denied.accessDenied = true;
  const std::string deniedPath = sim().Plug(denied).at(3);
  const std::string refusingPath = sim().Plug(SimKeyboard("refusing")).at(3);
  sim().InjectFault("refusing", SimFault::RefuseFeatures);
  const std::string gonePath = sim().Plug(SimKeyboard("gone")).at(3);
  sim().Unplug("gone");
  std::vector<std::string> told;
  HidSetAccessDeniedHandler([&told](const std::string& path) { told.push_back(path); });

  for (const std::string& path : {deniedPath, refusingPath, gonePath}) {
    std::array<uint8_t, kCallerBuffer> buffer = ModelInfoQuery();
    EXPECT_FALSE(HidWriteFeature(path, buffer.data()));
    EXPECT_FALSE(HidReadFeature(path, buffer.data()));
  }
  EXPECT_EQ(HidOpenForReports(deniedPath), nullptr);
  EXPECT_EQ(HidOpenForReports(gonePath), nullptr);
  HidSetAccessDeniedHandler({});
  EXPECT_EQ(told, std::vector<std::string>(3, deniedPath));
  // Strings and identity come without opening the device.
  EXPECT_TRUE(HidQueryIdentity(deniedPath, nullptr, nullptr, nullptr, nullptr, nullptr));
}

// Every path-based operation on a path that vanished fails and leaves the
// caller's buffer alone.
struct VanishedCase {
  const char* what;
  std::function<bool(const std::string&, uint8_t*)> operation;
};

void PrintTo(const VanishedCase& c, std::ostream* os) { *os << c.what; }

class HidVanishedPath : public HidOnSim, public ::testing::WithParamInterface<VanishedCase> {};

TEST_P(HidVanishedPath, FailsWithoutTouchingTheBuffer) {
  const std::string path = sim().Plug(SimKeyboard("kb")).at(3);
  ASSERT_TRUE(sim().Unplug("kb"));

  std::array<uint8_t, kCallerBuffer> buffer;
  buffer.fill(kCanary);
  EXPECT_FALSE(GetParam().operation(path, buffer.data()));
  EXPECT_THAT(buffer, Each(kCanary));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, HidVanishedPath,
    ::testing::Values(
        VanishedCase{"WriteFeature",
                     [](const std::string& p, uint8_t* b) { return HidWriteFeature(p, b); }},
        VanishedCase{"ReadFeature",
                     [](const std::string& p, uint8_t* b) { return HidReadFeature(p, b); }},
        VanishedCase{"ReadIndexedString",
                     [](const std::string& p, uint8_t* b) {
                       return HidReadIndexedString(p, 1, b, kCallerBuffer);
                     }},
        VanishedCase{"OpenForReports",
                     [](const std::string& p, uint8_t*) { return !!HidOpenForReports(p); }}),
    [](const auto& info) { return std::string(info.param.what); });

struct StringCase {
  const char* what;
  uint32_t bufferLength;
  std::u16string expectedText;  // code units written
  bool terminated;              // whether a terminator follows them
};

void PrintTo(const StringCase& c, std::ostream* os) { *os << c.what; }

class HidIndexedString : public HidOnSim, public ::testing::WithParamInterface<StringCase> {};

TEST_P(HidIndexedString, WritesWholeCodeUnitsAndATerminatorWhenItFits) {
  const StringCase& c = GetParam();
  SimDeviceSpec kb = SimKeyboard("kb");
  kb.product = u"Usb Device ";  // 11 code units
  const std::string path = sim().Plug(kb).at(0);

  std::array<uint8_t, kCallerBuffer> buffer;
  buffer.fill(kCanary);
  ASSERT_TRUE(HidReadIndexedString(path, 2, buffer.data(), c.bufferLength));

  std::u16string written(c.expectedText.size(), u'\0');
  std::memcpy(written.data(), buffer.data(), written.size() * 2);
  EXPECT_EQ(written, c.expectedText);
  size_t end = c.expectedText.size() * 2;
  if (c.terminated) {
    EXPECT_EQ(buffer[end], 0);
    EXPECT_EQ(buffer[end + 1], 0);
    end += 2;
  }
  const std::vector<uint8_t> beyond(buffer.begin() + end, buffer.end());
  EXPECT_THAT(beyond, Each(kCanary));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, HidIndexedString,
    ::testing::Values(StringCase{"roomy", 100, u"Usb Device ", true},
                      StringCase{"exactly_with_terminator", 24, u"Usb Device ", true},
                      StringCase{"no_room_for_terminator", 22, u"Usb Device ", false},
                      StringCase{"truncated", 8, u"Usb ", false},
                      StringCase{"odd_length_keeps_last_byte", 9, u"Usb ", false},
                      StringCase{"empty_buffer", 0, u"", false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(HidOnSim, UnreadableStringsFailWithoutTouchingTheBuffer) {
  SimDeviceSpec kb = SimKeyboard("kb");
  kb.manufacturer.reset();
  const std::string path = sim().Plug(kb).at(0);

  for (int32_t index : {1, 3, 0, -1}) {
    std::array<uint8_t, kCallerBuffer> buffer;
    buffer.fill(kCanary);
    EXPECT_FALSE(HidReadIndexedString(path, index, buffer.data(), kCallerBuffer)) << index;
    EXPECT_THAT(buffer, Each(kCanary)) << index;
  }
}

using HidStringDeathTest = HidOnSim;

TEST_F(HidStringDeathTest, NullBufferStopsTheProgram) {
  const std::string path = sim().Plug(SimKeyboard("kb")).at(0);
  EXPECT_DEATH(HidReadIndexedString(path, 1, nullptr, 256),
               "Assertion failed: pReportBuffer != NULL, file IO_HID.cpp, line ");
}

TEST_F(HidOnSim, InputReportLengthComesFromTheCapabilities) {
  SimDeviceSpec mouse = SimMouse("mouse");
  mouse.collections[0].capabilitiesReadable = false;
  const std::vector<std::string> paths = sim().Plug(mouse);

  std::unique_ptr<HidOpenDevice> unreadable = HidOpenForReports(paths[0]);
  std::unique_ptr<HidOpenDevice> vendor = HidOpenForReports(paths[1]);
  ASSERT_TRUE(unreadable && vendor);
  EXPECT_EQ(HidInputReportLength(*unreadable), 0u);
  EXPECT_EQ(HidInputReportLength(*vendor), 64u);
}

TEST_F(HidOnSim, OpenedForReportsReceivesTheCollectionsReports) {
  const std::vector<std::string> paths = sim().Plug(SimMouse("mouse"));
  std::unique_ptr<HidOpenDevice> vendor = HidOpenForReports(paths[1]);
  ASSERT_TRUE(vendor);

  ASSERT_EQ(sim().SendInputReport("mouse", {0x07, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0D}), 1);
  std::array<uint8_t, 64> report{};
  size_t received = 0;
  ASSERT_EQ(vendor->ReadInputReport(report.data(), report.size(), &received),
            HidOpenDevice::ReadStatus::Report);
  EXPECT_EQ(received, 13u);
  EXPECT_EQ(report[12], 0x0D);
}

}  // namespace
