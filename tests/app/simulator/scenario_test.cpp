#include "app/simulator/scenario.h"

#include <gtest/gtest.h>

namespace {

TEST(ScenarioTest, ParsesEveryCommand) {
  using Verb = ScenarioCommand::Verb;
  struct Case {
    const char* line;
    Verb verb;
    const char* device;
    uint32_t value;
  } cases[] = {
      {"plug kb1 keyboard", Verb::Plug, "kb1", 0},
      {"unplug kb1", Verb::Unplug, "kb1", 0},
      {"lt kb1 5", Verb::LtKey, "kb1", 5},
      {"rt kb1 2", Verb::RtMode, "kb1", 2},
      {"  cpi\tm1 200 ", Verb::Cpi, "m1", 200},
      {"report kb1 07 20 00", Verb::Report, "kb1", 0},
      {"fullscreen on", Verb::FullScreen, "", 1},
      {"fullscreen off", Verb::FullScreen, "", 0},
      {"language ChineseT", Verb::Language, "", 0},
      {"wait 1500", Verb::Wait, "", 1500},
      {"close\r", Verb::Close, "", 0},
  };
  for (const auto& c : cases) {
    const ScenarioLine parsed = ParseScenarioLine(c.line);
    ASSERT_TRUE(parsed.command.has_value()) << c.line << ": " << parsed.error;
    EXPECT_EQ(parsed.command->verb, c.verb) << c.line;
    EXPECT_EQ(parsed.command->device, c.device) << c.line;
    EXPECT_EQ(parsed.command->value, c.value) << c.line;
  }
  EXPECT_EQ(ParseScenarioLine("report kb1 07 2A ff").command->bytes,
            (std::vector<uint8_t>{0x07, 0x2A, 0xFF}));
  EXPECT_TRUE(ParseScenarioLine("rt kb1 2 1").command->flag);
  EXPECT_EQ(ParseScenarioLine("plug x flash-keyboard").command->kind, SimDeviceKind::FlashKeyboard);
  EXPECT_FALSE(ParseScenarioLine("plug x mouse").command->accessDenied);
  EXPECT_TRUE(ParseScenarioLine("plug x mouse denied").command->accessDenied);
}

TEST(ScenarioTest, BlankAndCommentLinesAreSkippedSilently) {
  for (const char* line : {"", "   ", "# plug kb1 keyboard", "\r"}) {
    const ScenarioLine parsed = ParseScenarioLine(line);
    EXPECT_FALSE(parsed.command.has_value()) << line;
    EXPECT_TRUE(parsed.error.empty()) << line;
  }
}

TEST(ScenarioTest, MalformedLinesAreRefusedWithAReason) {
  for (const char* line :
       {"jump kb1", "plug kb1", "plug kb1 toaster", "lt kb1", "lt kb1 256", "lt kb1 -1",
        "lt kb1 3x", "rt kb1 8", "rt kb1 1 2", "report kb1", "report kb1 1g", "report kb1 100",
        "fullscreen maybe", "language Klingon", "wait", "wait 5s", "close now", "unplug"}) {
    const ScenarioLine parsed = ParseScenarioLine(line);
    EXPECT_FALSE(parsed.command.has_value()) << line;
    EXPECT_FALSE(parsed.error.empty()) << line;
  }
}

// The reason is what the simulator prints after "error: LINE: ".
TEST(ScenarioTest, EachRefusalSaysWhatWasWrong) {
  struct Case {
    const char* line;
    const char* reason;
  } cases[] = {
      {"jump kb1", "unknown command 'jump'"},
      {"plug kb1", "usage: plug NAME KIND [denied]"},
      {"plug kb1 toaster", "unknown device kind 'toaster'"},
      {"plug kb1 keyboard maybe", "unknown plug option 'maybe'"},
      {"unplug", "usage: unplug NAME"},
      {"lt kb1", "usage: lt NAME VALUE"},
      {"cpi m1 1 2", "usage: cpi NAME VALUE"},
      {"lt kb1 256", "value must be 0-255"},
      {"rt kb1", "usage: rt NAME MODE [FLAG]"},
      {"rt kb1 8", "mode must be 0-7"},
      {"rt kb1 1 2", "flag must be 0 or 1"},
      {"report kb1", "usage: report NAME HEX..."},
      {"report kb1 07 1g", "'1g' is not a hex byte"},
      {"fullscreen maybe", "usage: fullscreen on|off"},
      {"fullscreen", "usage: fullscreen on|off"},
      {"language Klingon", "usage: language English|ChineseS|ChineseT"},
      {"wait 5s", "usage: wait MS (0-3600000)"},
      {"wait 3600001", "usage: wait MS (0-3600000)"},
      {"close now", "usage: close"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseScenarioLine(c.line).error, c.reason) << c.line;
  }
}

TEST(ScenarioTest, ReportsCarryTheChangeBits) {
  const auto lt = LtKeyReport(SimDeviceKind::Keyboard, 3);
  EXPECT_EQ(lt[1], 0x20);
  EXPECT_EQ(lt[4], 0x83);
  const auto rt = RtModeReport(SimDeviceKind::FlashKeyboard, 2, true);
  EXPECT_EQ(rt[6], 0xC2);
  const auto cpi = CpiReport(SimDeviceKind::Mouse, 5);
  EXPECT_EQ(cpi[1], 0x01);
  EXPECT_EQ(cpi[12], 0x0D);
  const auto es = CpiReport(SimDeviceKind::Es2862, 200);
  EXPECT_EQ(es[1], 0x87);
  EXPECT_EQ(es[7], 200);
  // A device sends only the reports of its kind.
  EXPECT_TRUE(LtKeyReport(SimDeviceKind::Mouse, 1).empty());
  EXPECT_TRUE(CpiReport(SimDeviceKind::Keyboard, 1).empty());
  EXPECT_TRUE(RtModeReport(SimDeviceKind::Foreign, 1, false).empty());
}

}  // namespace
