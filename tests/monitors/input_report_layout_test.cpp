// The report layouts both ways: what a simulated device writes is what the
// decoders read back, and the bytes sit where the devices put them.
#include "monitors/input_report_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Id7mCase {
  const char* name;
  Id7mInputReport report;
  size_t offset;     // the byte that carries the change
  uint8_t expected;  // its value
};

Id7mInputReport Mouse(uint8_t level) {
  Id7mInputReport r;
  r.eventClass = Id7mInputReport::kMouseEventClass;
  r.cpiLevel = level;
  return r;
}

Id7mInputReport Keyboard(std::optional<uint8_t> rtMode, bool flag, std::optional<uint8_t> lt) {
  Id7mInputReport r;
  r.eventClass = Id7mInputReport::kKeyboardEventClass;
  r.rtMode = rtMode;
  r.rtFlag = flag;
  r.ltKeyState = lt;
  return r;
}

TEST(Id7mInputReportTest, SerializeWritesTheFieldsAndParseReadsThemBack) {
  const Id7mCase cases[] = {
      {"MouseCpi", Mouse(5), 12, 0x0D},
      {"MouseCpiZero", Mouse(0), 12, 0x08},
      {"RtModeWithFlag", Keyboard(2, true, std::nullopt), 6, 0xC2},
      {"RtModeWithoutFlag", Keyboard(7, false, std::nullopt), 6, 0x87},
      {"LtKey", Keyboard(std::nullopt, false, 3), 4, 0x83},
  };
  for (const Id7mCase& c : cases) {
    const Bytes bytes = c.report.Serialize();
    ASSERT_EQ(bytes.size(), Id7mInputReport::kLength) << c.name;
    EXPECT_EQ(bytes[0], 0x07) << c.name;
    EXPECT_EQ(bytes[1], c.report.eventClass) << c.name;
    EXPECT_EQ(bytes[c.offset], c.expected) << c.name;
    const Id7mInputReport parsed = Id7mInputReport::Parse(bytes);
    EXPECT_EQ(parsed.eventClass, c.report.eventClass) << c.name;
    EXPECT_EQ(parsed.cpiLevel, c.report.cpiLevel) << c.name;
    EXPECT_EQ(parsed.rtMode, c.report.rtMode) << c.name;
    EXPECT_EQ(parsed.rtFlag, c.report.rtFlag) << c.name;
    EXPECT_EQ(parsed.ltKeyState, c.report.ltKeyState) << c.name;
  }
}

TEST(Id7mInputReportTest, ParseReadsOnlyTheFieldsOfTheReportsClass) {
  // Keyboard bytes in a mouse report and a mouse byte in a keyboard report.
  Bytes mouse(64, 0), keyboard(64, 0);
  mouse[1] = 0x01;
  mouse[4] = mouse[6] = 0x83;
  keyboard[1] = 0x20;
  keyboard[12] = 0x0D;
  const Id7mInputReport fromMouse = Id7mInputReport::Parse(mouse);
  EXPECT_FALSE(fromMouse.rtMode || fromMouse.ltKeyState || fromMouse.cpiLevel);
  EXPECT_FALSE(Id7mInputReport::Parse(keyboard).cpiLevel);
  // A report that ends before byte 12 has no level in it.
  EXPECT_FALSE(Id7mInputReport::Parse(Bytes{0x07, 0x01, 0, 0, 0, 0, 0, 0}).cpiLevel);
}

TEST(Es2862InputReportTest, LevelRoundTripsWholeAndShortReportsCarryNone) {
  for (const uint8_t level : {0, 5, 200, 255}) {
    Es2862InputReport report;
    report.cpiLevel = level;
    const Bytes bytes = report.Serialize();
    ASSERT_EQ(bytes.size(), Es2862InputReport::kLength);
    EXPECT_EQ(bytes[0], 0x05);
    EXPECT_EQ(bytes[1], 0x87);
    EXPECT_EQ(bytes[7], level);
    EXPECT_EQ(Es2862InputReport::Parse(bytes).cpiLevel, level);
  }
  EXPECT_FALSE(Es2862InputReport::Parse(Bytes{0x05, 0x87, 0, 0, 0, 0, 0}).cpiLevel);
  EXPECT_FALSE(Es2862InputReport::Parse(Bytes{0x05, 0x86, 0, 0, 0, 0, 0, 9}).cpiLevel);
}

}  // namespace
