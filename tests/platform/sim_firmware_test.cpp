// The command set of the simulated ID7M firmware.
#include "platform/sim/sim_firmware.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

using ::testing::Each;
using ::testing::ElementsAre;

namespace {

std::array<uint8_t, 64> Command(uint8_t code, uint8_t byte8 = 0) {
  std::array<uint8_t, 64> frame{};
  frame[0] = 0x07;
  frame[1] = code;
  frame[2] = 0x11;  // argument bytes must come back in the echo
  frame[7] = 0x77;
  frame[8] = byte8;
  return frame;
}

std::array<uint8_t, 64> Answer(const SimFirmware& firmware) {
  std::array<uint8_t, 64> answer;
  answer.fill(0x55);
  EXPECT_TRUE(firmware.Answer(0x07, answer.data(), answer.size()));
  return answer;
}

TEST(SimFirmware, ModelInformationCarriesModelWordAndQualificationByte) {
  SimDeviceSpec spec = SimKeyboard();
  spec.modelWord = 0x2711;
  spec.qualificationByte = 0x21;
  SimFirmware firmware(spec);
  const auto query = Command(SimFirmware::kModelInfoCode);
  ASSERT_TRUE(firmware.Receive(query.data(), query.size()));

  const auto answer = Answer(firmware);
  EXPECT_THAT(std::vector<uint8_t>(answer.begin(), answer.begin() + 8),
              ElementsAre(0x07, 0x1F, 0x11, 0, 0, 0, 0, 0x77));
  EXPECT_EQ(answer[10], 0x11);
  EXPECT_EQ(answer[11], 0x27);
  EXPECT_EQ(answer[16], 0x21);
  // Bytes after the 10-byte payload are filler, not zero, so over-copying shows.
  EXPECT_THAT(std::vector<uint8_t>(answer.begin() + 18, answer.end()),
              Each(SimFirmware::kAfterPayloadFill));
}

TEST(SimFirmware, FlashInformationCarriesTheFlashWordLittleEndian) {
  SimDeviceSpec spec = SimFlashKeyboard();
  spec.flashWord = 0x02000001;
  SimFirmware firmware(spec);
  const auto query = Command(SimFirmware::kFlashInfoCode);
  ASSERT_TRUE(firmware.Receive(query.data(), query.size()));

  const auto answer = Answer(firmware);
  EXPECT_EQ(answer[1], 0x2D);
  EXPECT_THAT(std::vector<uint8_t>(answer.begin() + 8, answer.begin() + 12),
              ElementsAre(0x01, 0x00, 0x00, 0x02));
  EXPECT_THAT(std::vector<uint8_t>(answer.begin() + 32, answer.end()),
              Each(SimFirmware::kAfterPayloadFill));
}

TEST(SimFirmware, NotificationModeFollowsByteEight) {
  SimFirmware firmware(SimMouse());
  struct Step {
    uint8_t byte8;
    bool modeAfter;
  } steps[] = {{1, true}, {2, true}, {0, false}, {2, false}, {1, true}};
  for (const Step& step : steps) {
    const auto command = Command(SimFirmware::kNotifyModeCode, step.byte8);
    ASSERT_TRUE(firmware.Receive(command.data(), command.size()));
    EXPECT_EQ(firmware.notificationMode(), step.modeAfter) << int(step.byte8);
  }
}

TEST(SimFirmware, RefusesWhatItDoesNotSpeak) {
  SimFirmware id7m(SimKeyboard());
  auto unknownCode = Command(0x30);
  auto otherReport = Command(SimFirmware::kModelInfoCode);
  otherReport[0] = 0x06;
  EXPECT_FALSE(id7m.Receive(unknownCode.data(), unknownCode.size()));
  EXPECT_FALSE(id7m.Receive(otherReport.data(), otherReport.size()));
  uint8_t answer[8];
  EXPECT_FALSE(id7m.Answer(0x06, answer, sizeof answer));

  for (const SimDeviceSpec& spec : {SimEs2862(), SimForeign()}) {
    SimFirmware silent(spec);
    const auto query = Command(SimFirmware::kModelInfoCode);
    EXPECT_FALSE(silent.Receive(query.data(), query.size())) << spec.name;
    EXPECT_FALSE(silent.Answer(0x07, answer, sizeof answer)) << spec.name;
  }
}

TEST(SimFirmware, RefusedCommandKeepsTheLastAnswer) {
  SimFirmware firmware(SimKeyboard());
  const auto query = Command(SimFirmware::kModelInfoCode);
  ASSERT_TRUE(firmware.Receive(query.data(), query.size()));
  const auto unknown = Command(0x30);
  ASSERT_FALSE(firmware.Receive(unknown.data(), unknown.size()));
  EXPECT_EQ(Answer(firmware)[1], 0x1F);
}

}  // namespace
