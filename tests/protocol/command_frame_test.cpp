// The bytes of the command frames as they go to the device, and the
// usage-page and collection exclusions of the qualification checks.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "protocol/DeviceLists.h"
#include "protocol/Hid_basiccmd.h"
#include "protocol/Hid_flash_m0.h"
#include "protocol/Hid_pellam.h"
#include "protocol/Hid_pellamid7.h"

namespace {

struct FrameCase {
  const char* name;
  uint8_t code;
  std::vector<uint8_t> arguments;
  std::vector<uint8_t> leadingBytes;  // the rest of the 72 bytes must be zero
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class CommandFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(CommandFrameTest, PutsIdCodeAndArgumentsFirstAndZeroesTheRest) {
  const FrameCase& c = GetParam();
  const CommandFrame frame = BuildCommandFrame(kCommandReportId, c.code, c.arguments);
  std::array<uint8_t, kCommandFrameLength> expected{};
  std::copy(c.leadingBytes.begin(), c.leadingBytes.end(), expected.begin());
  EXPECT_EQ(frame, expected);
}

std::vector<uint8_t> Args(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandFrameTest,
    ::testing::Values(
        FrameCase{"EnterNotifyMode",
                  kNotifyModeCode,
                  Args(kEnterNotifyModeArguments),
                  {0x07, 0x09, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0}},
        FrameCase{"LeaveNotifyMode",
                  kNotifyModeCode,
                  Args(kLeaveNotifyModeArguments),
                  {0x07, 0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        FrameCase{"ModelInfoQuery", kModelInfoCode, std::vector<uint8_t>(6, 0), {0x07, 0x1F}},
        FrameCase{"FlashInfoQuery", kFlashInfoCode, std::vector<uint8_t>(6, 0), {0x07, 0x2D}},
        FrameCase{"AllFourteenArgumentBytes",
                  0x42,
                  {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
                  {0x07, 0x42, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
        // A fifteenth argument byte has no place in the frame; it must not
        // spill into byte 16.
        FrameCase{"ArgumentsPastByte15AreLeftOut",
                  0x42,
                  {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                  {0x07, 0x42, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnswerEcho, EveryByteFromZeroToSevenMustMatchAndNoneAfter) {
  const std::array<uint8_t, 6> arguments{0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  const CommandFrame request = BuildCommandFrame(kCommandReportId, kModelInfoCode, arguments);
  CommandFrame answer = request;
  for (size_t i = 8; i < answer.size(); ++i) answer[i] = static_cast<uint8_t>(i);
  EXPECT_TRUE(AnswerEchoesRequest(request, answer));
  for (size_t changed = 0; changed < kAnswerPayloadOffset; ++changed) {
    CommandFrame wrong = answer;
    wrong[changed] ^= 0x80;
    EXPECT_FALSE(AnswerEchoesRequest(request, wrong)) << "byte " << changed;
  }
}

TEST(UsagePageExclusion, ExactlyTheListedVendorPages) {
  struct Case {
    uint16_t page;
    bool excluded;
  };
  const Case cases[] = {
      {0xFFA7, true},  {0xFFB7, true},  {0xFFC7, true},  {0xFFD7, true},  {0xFFE7, true},
      {0xFFF0, true},  {0xFFF3, true},  {0xFFF7, true},  {0xFFEF, false}, {0xFFF8, false},
      {0xFFA6, false}, {0xFFA8, false}, {0xFF00, false}, {0xFF01, false}, {0x0001, false},
      {0xFFFF, false}, {0xFF97, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsExcludedUsagePage(c.page), c.excluded) << std::hex << "page 0x" << c.page;
  }
}

TEST(StandardCollectionExclusion, OnlyThePairsNotThePagesAlone) {
  struct Case {
    uint16_t page, usage;
    bool excluded;
  };
  const Case cases[] = {
      {0x01, 0x02, true},    {0x01, 0x06, true},  {0x01, 0x80, true},  {0x0C, 0x01, true},
      {0x01, 0x01, false},   {0x01, 0x05, false}, {0x0C, 0x02, false}, {0x02, 0x01, false},
      {0xFF00, 0x02, false}, {0x0C, 0x06, false}, {0x80, 0x01, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsExcludedStandardCollection(c.page, c.usage), c.excluded)
        << std::hex << "(0x" << c.page << ", 0x" << c.usage << ")";
  }
}

TEST(PathLowercasing, OnlyAsciiCapitalsChange) {
  EXPECT_EQ(LowercasePath("/dev/HIDRAW3&Col02"), "/dev/hidraw3&col02");
  EXPECT_EQ(LowercasePath("\xC3\x84Z@[`{"), "\xC3\x84z@[`{");
}

}  // namespace
