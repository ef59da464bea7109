#include "skin/text_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "skin/Utils_mathcarry.h"
#include "skin/Utils_splitstring.h"

namespace {

struct FieldCase {
  std::u16string_view text;
  int32_t n;
  std::u16string_view expected;
};

TEST(GetDelimitedField, FollowsTheListReadingRule) {
  const FieldCase cases[] = {
      // Blanks around a field go, blanks inside stay.
      {u"0x1234, 0x5678 ,0x9ABC", 0, u"0x1234"},
      {u"0x1234, 0x5678 ,0x9ABC", 1, u"0x5678"},
      {u"0x1234, 0x5678 ,0x9ABC", 2, u"0x9ABC"},
      {u"0x1234, 0x5678 ,0x9ABC", 3, u""},
      {u"a b , c", 0, u"a b"},
      // A separator at the very end stays in the last field.
      {u"0x1234,0x5678,", 1, u"0x5678,"},
      {u"0x1234,0x5678,", 2, u""},
      {u",", 0, u","},
      {u",", 1, u""},
      // Adjacent and leading separators give empty fields.
      {u"a,,b", 1, u""},
      {u"a,,b", 2, u"b"},
      {u",a", 0, u""},
      {u",a", 1, u"a"},
      {u"rgb,255,0,0", 0, u"rgb"},
      {u"rgb,255,0,0", 3, u"0"},
      {u"rectp", 0, u"rectp"},
      {u"rectp", 1, u""},
      {u"x", 0, u"x"},
      // Control characters count as blanks at the ends.
      {u"\t a\r\n,b", 0, u"a"},
      {u"a,b", -1, u""},
      {u"a,b", INT32_MIN, u""},
      {u"a,b", INT32_MAX, u""},
      {u"", 0, u""},
  };
  for (const FieldCase& c : cases) {
    EXPECT_EQ(GetDelimitedField(c.text, u',', c.n), c.expected)
        << Utf16ToUtf8(c.text) << " field " << c.n;
  }
}

TEST(GetDelimitedField, UsesTheGivenSeparatorOnly) {
  EXPECT_EQ(GetDelimitedField(u"a,b;c,d", u';', 0), u"a,b");
  EXPECT_EQ(GetDelimitedField(u"a,b;c,d", u';', 1), u"c,d");
}

struct SubTextCase {
  std::u16string_view text;
  int32_t index;
  int32_t count;
  std::u16string_view expected;
};

TEST(SubText, TakesAtMostCountCharactersFromIndex) {
  const SubTextCase cases[] = {
      {u"0x1234", 3, 4, u"1234"},
      {u"0x12", 3, 4, u"12"},
      {u"0x", 3, 4, u""},
      {u"0x1", 3, 4, u"1"},
      // Index below 1 reads as 1 and does not shorten the count.
      {u"abcdef", 0, 3, u"abc"},
      {u"abcdef", -7, 3, u"abc"},
      {u"abcdef", INT32_MIN, 2, u"ab"},
      {u"abcdef", 1, 0, u""},
      {u"abcdef", 1, -1, u""},
      {u"abcdef", 6, 1, u"f"},
      {u"abcdef", 7, 1, u""},
      {u"abcdef", INT32_MAX, INT32_MAX, u""},
      {u"abcdef", 2, INT32_MAX, u"bcdef"},
      {u"", 0, 1, u""},
      {u"", 1, 1, u""},
  };
  for (const SubTextCase& c : cases) {
    EXPECT_EQ(SubText(c.text, c.index, c.count), c.expected)
        << Utf16ToUtf8(c.text) << " from " << c.index << " count " << c.count;
  }
}

struct HexCase {
  std::u16string_view text;
  uint32_t expected;
};

TEST(HexTextToValue, ReadsTheLeadingHexDigits) {
  const HexCase cases[] = {
      {u"1234", 4660},
      {u"abCD", 0xABCD},
      {u"12G4", 0x12},
      {u"x12", 0},
      {u"", 0},
      {u"0", 0},
      {u"FFFFFFFF", 4294967295u},
      {u"ffffffff", 4294967295u},
      // Of a longer run the last eight digits read count.
      {u"123456789", 0x23456789},
      {u"ABCDEF0123456789", 0x23456789},
      {u"00000000000000001", 1},
      {u"1234 5678", 0x1234},
      // Digits of other scripts are no hex digits.
      {u"1\uFF12", 1},
  };
  for (const HexCase& c : cases)
    EXPECT_EQ(HexTextToValue(c.text), c.expected) << Utf16ToUtf8(c.text);
}

TEST(NumberText, WritesDecimalLikePrintf) {
  EXPECT_EQ(UInt16ToText(1033), u"1033");
  EXPECT_EQ(UInt16ToText(0), u"0");
  EXPECT_EQ(UInt16ToText(65535), u"65535");
  EXPECT_EQ(IntToText(-5), u"-5");
  EXPECT_EQ(IntToText(0), u"0");
  EXPECT_EQ(IntToText(INT32_MAX), u"2147483647");
  EXPECT_EQ(IntToText(INT32_MIN), u"-2147483648");
}

struct Utf8Case {
  const char* name;
  std::string_view utf8;
  std::u16string_view utf16;
};

TEST(Utf8ToUtf16, DecodesValidTextAndReadsBadBytesAsLatin1) {
  const Utf8Case cases[] = {
      {"ascii", "abc", u"abc"},
      {"two-byte", "\xC3\xA9", u"\u00E9"},
      {"three-byte", "\xE5\x85\xB3\xE9\x97\xAD", u"\u5173\u95ED"},
      {"four-byte", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"lone Latin-1 byte", "caf\xE9!", u"caf\u00E9!"},
      {"stray continuation", "a\x80z", u"a\u0080z"},
      {"overlong slash", "\xC0\xAF", u"\u00C0\u00AF"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\u00E0\u0080\u00AF"},
      {"encoded surrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u0080"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080"},
      {"cut-off at end", "ab\xE5\x85", u"ab\u00E5\u0085"},
      {"cut-off before ascii", "\xE5\x85z", u"\u00E5\u0085z"},
      {"0xFF", "\xFF", u"\u00FF"},
      {"NUL kept", std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
  };
  for (const Utf8Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;
}

TEST(Utf8ToUtf16, SurvivesEveryByteValueAfterEveryLeadByte) {
  // Every pair of bytes, each followed by a cut-off lead byte: decoding must
  // stay inside the input and give at least one unit per code point.
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const char bytes[3] = {static_cast<char>(first), static_cast<char>(second), '\xF0'};
      const std::u16string text = Utf8ToUtf16(std::string_view(bytes, 3));
      ASSERT_GE(text.size(), 2u) << first << "," << second;
      ASSERT_EQ(text.back(), u'\u00F0');
    }
  }
}

TEST(Utf16ToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\u5173\U0001F600"), "a\xC3\xA9\xE5\x85\xB3\xF0\x9F\x98\x80");
  const char16_t loneHigh[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(loneHigh, 3)),
            "a\xEF\xBF\xBD"
            "b");
  const char16_t loneLow[] = {0xDC00};
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(loneLow, 1)), "\xEF\xBF\xBD");
  const char16_t highAtEnd[] = {u'x', 0xDBFF};
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(highAtEnd, 2)), "x\xEF\xBF\xBD");
}

TEST(Utf16ToUtf8, RoundTripsValidText) {
  const std::u16string text = u"Deutsch \u00C4\u00D6\u00DC, \u7E41\u9AD4\u4E2D\u6587, \U00010348";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiLower(std::u16string_view(u"ChineseS-\u00C4Z@[")), u"chineses-\u00C4z@[");
  EXPECT_EQ(AsciiLower(std::string_view("UI.TXT")), "ui.txt");
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"English", u"eNGLISH"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"English", u"Englis"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\u00C4", u"\u00E4"));
  // '@' and '`' sit next to the letters; they must not be folded onto them.
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"@", u"`"));
}

}  // namespace
