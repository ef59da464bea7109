// Decoding of ID7M and ES2862 input reports into device event messages.
#include "monitors/report_decoders.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/message.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 64-byte report with report ID 0x07 and the given bytes set.
Bytes Report(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
  Bytes report(64, 0);
  report[0] = 0x07;
  for (const auto& [offset, value] : bytes) report[offset] = value;
  return report;
}

std::vector<Message> Events(const DecodedEvents& decoded) {
  return {decoded.begin(), decoded.end()};
}

struct Id7mCase {
  const char* name;
  Id7mKind kind;
  Bytes report;
  std::vector<Message> expected;
};

void PrintTo(const Id7mCase& c, std::ostream* os) { *os << c.name; }

class Id7mDecoderTest : public ::testing::TestWithParam<Id7mCase> {};

TEST_P(Id7mDecoderTest, YieldsTheMessagesInOrder) {
  const Id7mCase& c = GetParam();
  EXPECT_EQ(Events(DecodeId7mReport(c.kind, c.report)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, Id7mDecoderTest,
    ::testing::Values(
        Id7mCase{"MouseCpiChanged",
                 Id7mKind::Mouse,
                 Report({{1, 0x01}, {12, 0x0D}}),
                 {PostedMessage(UM_CPI_LEVEL, 5, 0)}},
        Id7mCase{"MouseCpiHighBitsIgnored",
                 Id7mKind::Mouse,
                 Report({{1, 0x01}, {12, 0xFF}}),
                 {PostedMessage(UM_CPI_LEVEL, 7, 0)}},
        Id7mCase{"MouseCpiUnchanged", Id7mKind::Mouse, Report({{1, 0x01}, {12, 0x05}}), {}},
        Id7mCase{"KeyboardRtThenLt",
                 Id7mKind::Keyboard,
                 Report({{1, 0x20}, {6, 0xC2}, {4, 0x83}}),
                 {PostedMessage(UM_RT_MODE, 2, 1), PostedMessage(UM_LT_KEY, 3, 0)}},
        Id7mCase{"KeyboardRtWithoutFlag",
                 Id7mKind::Keyboard,
                 Report({{1, 0x20}, {6, 0xBD}}),
                 {PostedMessage(UM_RT_MODE, 5, 0)}},
        Id7mCase{"KeyboardLtOnlyIgnoresBits3To6",
                 Id7mKind::Keyboard,
                 Report({{1, 0x20}, {4, 0xFE}}),
                 {PostedMessage(UM_LT_KEY, 6, 0)}},
        Id7mCase{"KeyboardNothingChanged",
                 Id7mKind::Keyboard,
                 Report({{1, 0x20}, {6, 0x02}, {4, 0x00}}),
                 {}},
        Id7mCase{"KeyboardIgnoresMouseClass",
                 Id7mKind::Keyboard,
                 Report({{1, 0x01}, {12, 0x0D}, {6, 0xC2}, {4, 0x83}}),
                 {}},
        Id7mCase{"MouseIgnoresKeyboardClass",
                 Id7mKind::Mouse,
                 Report({{1, 0x20}, {12, 0x0D}, {6, 0xC2}, {4, 0x83}}),
                 {}},
        Id7mCase{"UnknownClass", Id7mKind::Keyboard, Report({{1, 0x21}, {6, 0xC2}}), {}},
        Id7mCase{"OtherKindDecodesNothing",
                 Id7mKind::Other,
                 Report({{1, 0x20}, {6, 0xC2}, {4, 0x83}}),
                 {}},
        // A report that ends before the field has no change in it.
        Id7mCase{"ShortMouseReport", Id7mKind::Mouse, Bytes{0x07, 0x01, 0, 0, 0, 0, 0, 0}, {}},
        Id7mCase{"EmptyReport", Id7mKind::Keyboard, Bytes{}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id7mKindText, IsCaseSensitive) {
  EXPECT_EQ(Id7mKindFromText("Keyboard"), Id7mKind::Keyboard);
  EXPECT_EQ(Id7mKindFromText("Mouse"), Id7mKind::Mouse);
  for (const char* text : {"keyboard", "MOUSE", "", "Mouse ", "Pen"}) {
    EXPECT_EQ(Id7mKindFromText(text), Id7mKind::Other) << '"' << text << '"';
  }
}

TEST(Es2862Decoder, PostsTheWholeLevelOnlyForCpiChange) {
  struct Case {
    uint8_t code, level;
    std::vector<Message> expected;
  };
  const Case cases[] = {
      {0x87, 3, {PostedMessage(UM_CPI_LEVEL, 3, 0)}},
      {0x87, 0xC8, {PostedMessage(UM_CPI_LEVEL, 200, 0)}},
      {0x87, 0xFF, {PostedMessage(UM_CPI_LEVEL, 255, 0)}},
      {0x86, 3, {}},
      {0x00, 3, {}},
  };
  for (const Case& c : cases) {
    const Bytes report = Report({{1, c.code}, {7, c.level}});
    EXPECT_EQ(Events(DecodeEs2862Report(report)), c.expected)
        << std::hex << "code 0x" << int(c.code) << " level 0x" << int(c.level);
  }
  const Bytes tooShort{0x05, 0x87, 0, 0, 0, 0, 0};
  EXPECT_TRUE(Events(DecodeEs2862Report(tooShort)).empty());
}

}  // namespace
