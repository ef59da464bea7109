// The character helpers every room shares.
#include <gtest/gtest.h>

#include <string>

#include "platform/ascii_text.h"
#include "platform/utf8_text.h"

namespace {

TEST(AsciiTextTest, OnlyAsciiLettersChangeCase) {
  EXPECT_EQ(AsciiLower(std::string_view("/DEV/HidRaw3&COL02#0003:1A2C")),
            "/dev/hidraw3&col02#0003:1a2c");
  // Latin-1 and other wide letters, and bytes above 0x7F, pass unchanged.
  EXPECT_EQ(AsciiLower(std::u16string_view(u"ÄÖ\u0130Z@[")), u"ÄÖ\u0130z@[");
  EXPECT_EQ(AsciiLower(std::string_view("\xC3\x84Q")), "\xC3\x84q");
}

TEST(AsciiTextTest, HexDigitValues) {
  struct Case {
    char32_t unit;
    int value;
  } cases[] = {{U'0', 0},  {U'9', 9},  {U'a', 10},     {U'f', 15}, {U'A', 10},
               {U'F', 15}, {U'g', -1}, {U'G', -1},     {U'/', -1}, {U':', -1},
               {U'@', -1}, {U'`', -1}, {U'\uFF10', -1}};  // a full-width zero is no digit
  for (const Case& c : cases) {
    EXPECT_EQ(HexDigitValue(c.unit), c.value) << static_cast<uint32_t>(c.unit);
  }
}

TEST(Utf8TextTest, StrayBytesBecomeLatin1OrTheReplacementCharacter) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string latin1;
    std::u16string replaced;
  } cases[] = {
      {"WellFormed", "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", u"aé中😀", u"aé中😀"},
      {"StrayContinuation", "a\x80z", u"a\u0080z", u"a\uFFFDz"},
      {"Overlong", "\xC0\xAF", u"\u00C0\u00AF", u"\uFFFD\uFFFD"},
      {"EncodedSurrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u0080", u"\uFFFD\uFFFD\uFFFD"},
      {"AboveU10FFFF", "\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080",
       u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"CutOff", "\xE4\xB8", u"\u00E4\u00B8", u"\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    std::u16string latin1 = u">";
    AppendUtf8AsUtf16(c.bytes, latin1);
    EXPECT_EQ(latin1, u">" + c.latin1) << c.name;
    std::u16string replaced;
    AppendUtf8AsUtf16(c.bytes, replaced, StrayUtf8Byte::AsReplacementCharacter);
    EXPECT_EQ(replaced, c.replaced) << c.name;
  }
}

}  // namespace
