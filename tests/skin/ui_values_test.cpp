#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "skin/Language_elementsproperty.h"
#include "skin/ui_integer.h"
#include "tests/skin/rect_printer.h"

namespace {

struct IntegerCase {
  std::u16string text;
  int32_t value;
};

TEST(UiTextToInt, AcceptsSignedDecimalAndHexadecimal) {
  const IntegerCase cases[] = {
      {u"0", 0},
      {u"-12", -12},
      {u"+7", 7},
      {u"007", 7},
      {u"$1F", 31},
      {u"0x1f", 31},
      {u"0X1F", 31},
      {u"-$10", -16},
      {u"$FFFFFFFF", -1},
      {u"$80000000", INT32_MIN},
      {u"2147483647", INT32_MAX},
      {u"-2147483648", INT32_MIN},
  };
  for (const IntegerCase& c : cases) {
    EXPECT_EQ(UiTextToInt(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(UiTextToInt, RejectsEverythingElse) {
  const std::u16string cases[] = {
      u"",    u"abc", u"12px",       u" 12",         u"12 ",        u"1.5",
      u"--1", u"+",   u"-",          u"$",           u"0x",         u"$G",
      u"1e3", u"x1F", u"2147483648", u"-2147483649", u"$100000000", u"99999999999999999999"};
  for (const std::u16string& text : cases) {
    EXPECT_THROW(UiTextToInt(text), EConvertError) << std::string(text.begin(), text.end());
  }
}

TEST(UiTextToInt, ErrorNamesTheText) {
  try {
    UiTextToInt(u"abc");
    FAIL();
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
  }
}

struct ColorCase {
  std::u16string value;
  UiColor color;
};

TEST(ParseUiColor, ReadsRgbAndBlackensOtherTags) {
  const ColorCase cases[] = {
      {u"RGB, 0 , 128 , 255", 16744448},
      {u"rgb,300,-1,256", 65324},
      {u"hsv,1,2,3", 0},
      {u"  Rgb,1,2,3\t", 0x030201},
      {u"rgb,$FF,0x10,0", 0x10FF},
      {u"rgb,1,2,3,99", 0x030201},
      {u"", 0},
      {u"rgba", 0},
  };
  for (const ColorCase& c : cases) {
    EXPECT_EQ(ParseUiColor(c.value), c.color) << std::string(c.value.begin(), c.value.end());
  }
}

TEST(ParseUiColor, MalformedNumbersThrow) {
  for (const std::u16string value :
       {u"rgb,1,2", u"rgb", u"rgb,1,2,x", u"rgb,1 2,3,4", u"rgb,,2,3"}) {
    EXPECT_THROW(ParseUiColor(value), EConvertError) << std::string(value.begin(), value.end());
  }
}

struct RectCase {
  std::u16string value;
  uint32_t pixelsPerInch;
  Rect rect;
};

DisplayState MonitorAt(uint32_t pixelsPerInch) {
  DisplayState display;
  display.monitors = {{1, pixelsPerInch}};
  return display;
}

TEST(ParseUiRect, ReadsBothShapesAndScales) {
  const RectCase cases[] = {
      {u"rectp,0,100,247,132", 96, {0, 100, 247, 132}},
      {u"rectwh,0,100,247,32", 96, {0, 100, 246, 131}},
      {u" RECTP , 1 , 2 , 3 , 4 ", 96, {1, 2, 3, 4}},
      // trunc(x + 0.5) moves a negative origin toward zero even at 1.0.
      {u"RectWH,-5,-5,10,10", 96, {-4, -4, 5, 5}},
      {u"rectp,10,20,110,50", 144, {15, 30, 165, 75}},
      {u"rectwh,10,20,100,30", 144, {15, 30, 164, 74}},
      {u"rectp,10,20,110,50", 120, {13, 25, 138, 63}},
      {u"circle,1,2,3,4", 144, {0, 0, 0, 0}},
      {u"", 96, {0, 0, 0, 0}},
      {u"rectwh,2147483647,0,2147483647,1", 96, {INT32_MAX, 0, INT32_MAX, 0}},
  };
  for (const RectCase& c : cases) {
    EXPECT_EQ(ParseUiRect(c.value, MonitorAt(c.pixelsPerInch), 0x10), c.rect)
        << std::string(c.value.begin(), c.value.end()) << " at " << c.pixelsPerInch;
  }
}

TEST(ParseUiRect, MalformedNumbersThrow) {
  for (const std::u16string value :
       {u"rectp", u"rectp,1,2,3", u"rectwh,1,2,3,4px", u"rectp,a,b,c,d"}) {
    EXPECT_THROW(ParseUiRect(value, MonitorAt(96), 0x10), EConvertError)
        << std::string(value.begin(), value.end());
  }
}

}  // namespace
