// Commands and queries against simulated devices: what reaches the device,
// what comes back, and that a failed exchange leaves the answer alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "protocol/Hid_basiccmd.h"
#include "protocol/Hid_flash_m0.h"
#include "protocol/Hid_pellam.h"
#include "protocol/Hid_pellamid7.h"
#include "tests/protocol/sim_device_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class FeatureExchangeTest : public SimDeviceTest {
 protected:
  Bytes LastWritten() {
    const auto log = m_Sim->FeatureLog("kb1");
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
      if (it->kind == SimFeatureRecord::Kind::Set) return it->bytes;
    }
    return {};
  }
};

TEST_F(FeatureExchangeTest, NotifyModeCommandsWriteTheWholeFeatureReport) {
  const std::string path = PlugAndGetVendorPath(SimKeyboard("kb1"));
  struct Case {
    bool (*command)(const std::string&);
    uint8_t modeByte;
    bool inNotificationMode;
  };
  for (const Case& c : {Case{EnterNotifyMode, 0x01, true}, Case{LeaveNotifyMode, 0x00, false}}) {
    ASSERT_TRUE(c.command(path));
    Bytes expected(64, 0);  // the collection's feature report length
    expected[0] = 0x07;
    expected[1] = 0x09;
    expected[8] = c.modeByte;
    EXPECT_EQ(LastWritten(), expected);
    EXPECT_EQ(m_Sim->InNotificationMode("kb1"), c.inNotificationMode);
  }
}

TEST_F(FeatureExchangeTest, ModelInfoCopiesExactlyAnswerBytes8To17) {
  SimDeviceSpec spec = SimKeyboard("kb1");
  spec.modelWord = 0x2711;
  spec.qualificationByte = 0x1C;
  const std::string path = PlugAndGetVendorPath(spec);

  // Guard bytes on both sides catch a copy that starts or ends elsewhere.
  std::array<uint8_t, kModelInfoLength + 2> guarded;
  guarded.fill(0x5C);
  ASSERT_TRUE(ReadModelInfo(
      path, std::span<uint8_t, kModelInfoLength>(guarded.data() + 1, kModelInfoLength)));
  const std::array<uint8_t, kModelInfoLength + 2> expected{0x5C, 0xA0, 0xA1, 0x11, 0x27, 0xA4,
                                                           0xA5, 0xA6, 0xA7, 0x1C, 0xA9, 0x5C};
  EXPECT_EQ(guarded, expected);
}

TEST_F(FeatureExchangeTest, FlashInfoCopiesExactlyAnswerBytes8To31) {
  SimDeviceSpec spec = SimFlashKeyboard("kb1");
  spec.flashWord = 0x01020304;
  const std::string path = PlugAndGetVendorPath(spec);

  std::array<uint8_t, kFlashInfoLength + 2> guarded;
  guarded.fill(0x5C);
  ASSERT_TRUE(ReadFlashInfo(
      path, std::span<uint8_t, kFlashInfoLength>(guarded.data() + 1, kFlashInfoLength)));
  std::array<uint8_t, kFlashInfoLength + 2> expected;
  expected.front() = expected.back() = 0x5C;
  for (size_t i = 0; i < kFlashInfoLength; ++i) expected[1 + i] = static_cast<uint8_t>(0xB0 + i);
  expected[1] = 0x04;
  expected[2] = 0x03;
  expected[3] = 0x02;
  expected[4] = 0x01;
  EXPECT_EQ(guarded, expected);

  uint32_t word = 0;
  ASSERT_TRUE(ReadFlashInfoWord(path, word));
  EXPECT_EQ(word, 0x01020304u);
}

struct FailureCase {
  const char* name;
  SimFault fault;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailedQueryTest : public FeatureExchangeTest,
                        public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedQueryTest, FailsAndLeavesEveryOutputUntouched) {
  const std::string path = PlugAndGetVendorPath(SimKeyboard("kb1"));
  m_Sim->InjectFault("kb1", GetParam().fault);

  ModelInfo model;
  model.fill(0xAB);
  EXPECT_FALSE(ReadModelInfo(path, model));
  EXPECT_TRUE(std::all_of(model.begin(), model.end(), [](uint8_t b) { return b == 0xAB; }));

  if (m_Sim->IsPresent("kb1")) {
    FlashInfo flash;
    flash.fill(0xAB);
    EXPECT_FALSE(ReadFlashInfo(path, flash));
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](uint8_t b) { return b == 0xAB; }));
    uint32_t word = 0xDEADBEEF;
    EXPECT_FALSE(ReadFlashInfoWord(path, word));
    EXPECT_EQ(word, 0xDEADBEEFu);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedQueryTest,
    ::testing::Values(FailureCase{"CommandCodeEchoDiffers", SimFault::WrongCommandEcho},
                      FailureCase{"ArgumentEchoDiffers", SimFault::WrongArgumentEcho},
                      FailureCase{"NoAnswer", SimFault::NoFeatureAnswer},
                      FailureCase{"Refused", SimFault::RefuseFeatures},
                      FailureCase{"UnpluggedDuringExchange", SimFault::UnplugOnNextFeature}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FeatureExchangeTest, CommandsToAbsentOrSilentInterfacesFail) {
  const auto paths = m_Sim->Plug(SimForeign("foreign1"));
  ASSERT_EQ(paths.size(), 1u);
  ModelInfo model{};
  EXPECT_FALSE(ReadModelInfo(paths[0], model));
  EXPECT_FALSE(EnterNotifyMode(paths[0]));
  EXPECT_FALSE(ReadModelInfo("/dev/hidraw-sim/999", model));
  EXPECT_FALSE(LeaveNotifyMode("/dev/hidraw-sim/999"));
}

// IO_HID moves the device's whole feature report through the caller's
// buffer. A device declaring more than the 72-byte frame must be refused
// before anything is transferred, or the read would run past the frame. A
// report too short to hold the asked-for payload cannot answer the query.
TEST_F(FeatureExchangeTest, FeatureLengthsThatDoNotFitTheFrameOrThePayloadFail) {
  struct Case {
    uint16_t featureLength;
    bool sendAccepted;
    bool modelQueryAccepted;
    bool flashQueryAccepted;
  };
  const Case cases[] = {
      {73, false, false, false}, {4096, false, false, false}, {72, true, true, true},
      {32, true, true, true},    {31, true, true, false},     {18, true, true, false},
      {17, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "feature length " << c.featureLength);
    SetUp();
    SimDeviceSpec spec = SimKeyboard("kb1");
    SimVendorCollection(spec)->featureReportLength = c.featureLength;
    const std::string path = PlugAndGetVendorPath(spec);

    EXPECT_EQ(EnterNotifyMode(path), c.sendAccepted);
    const size_t sends = m_Sim->FeatureLog("kb1").size();
    EXPECT_EQ(sends, c.sendAccepted ? 1u : 0u);

    ModelInfo model{};
    EXPECT_EQ(ReadModelInfo(path, model), c.modelQueryAccepted);
    FlashInfo flash{};
    EXPECT_EQ(ReadFlashInfo(path, flash), c.flashQueryAccepted);
    // A report longer than the frame would run past it: nothing may reach
    // such a device. A shorter one is asked, and its short answer fails.
    if (c.featureLength > kCommandFrameLength) {
      EXPECT_TRUE(m_Sim->FeatureLog("kb1").empty()) << "a refused query reached the device";
    }
  }
}

}  // namespace
