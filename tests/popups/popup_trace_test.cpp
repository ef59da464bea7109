#include "popups/popup_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PopupTraceFormat, ShowLineCarriesCaptionsRectangleAlignmentAndSize) {
  PopupShowRecord record;
  record.popupName = "LTKeyHint";
  record.title = u"LT Key";
  record.text = u"LT 1";
  record.x = 1672;
  record.y = 903;
  record.width = 247;
  record.height = 136;
  record.alignment = PopupTextAlignment::Center;
  record.pointSize = 14;
  EXPECT_EQ(FormatPopupShowLine(record),
            "popup LTKeyHint show title=\"LT Key\" text=\"LT 1\" x=1672 y=903 w=247 h=136 "
            "align=center size=14");

  record.popupName = "RTModeHint";
  record.title = u"鼠标 CPI";
  record.text = u"";
  record.x = -48;
  record.alignment = PopupTextAlignment::Left;
  record.pointSize = 40;
  EXPECT_EQ(FormatPopupShowLine(record),
            "popup RTModeHint show title=\"\xE9\xBC\xA0\xE6\xA0\x87 CPI\" text=\"\" x=-48 y=903 "
            "w=247 h=136 align=left size=40");
}

TEST(PopupTraceFormat, HideLine) {
  EXPECT_EQ(FormatPopupHideLine("RTModeHint"), "popup RTModeHint hide");
}

TEST(PopupTraceFormat, CaptionsAreEscapedSoTheLineStaysOneParsableLine) {
  struct EscapeCase {
    std::u16string text;
    std::string expected;
  };
  const EscapeCase cases[] = {
      {u"say \"hi\"", "say \\\"hi\\\""},   {u"C:\\path\\", "C:\\\\path\\\\"}, {u"\\\"", "\\\\\\\""},
      {u"two\nlines\r", "two\\nlines\\r"}, {u"x=1 y=2", "x=1 y=2"},
  };
  for (const EscapeCase& c : cases) EXPECT_EQ(EscapeTraceText(c.text), c.expected);
}

TEST(PopupTraceSink, LinesReachTheSinkUntilItIsCleared) {
  std::vector<std::string> lines;
  SetPopupTrace([&lines](const std::string& line) { lines.push_back(line); });
  EXPECT_TRUE(IsPopupTraceOn());
  WritePopupTrace("one");
  SetPopupTrace({});
  EXPECT_FALSE(IsPopupTraceOn());
  WritePopupTrace("two");
  EXPECT_EQ(lines, std::vector<std::string>{"one"});
}

}  // namespace
