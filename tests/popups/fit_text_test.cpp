#include "popups/fit_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Every code unit has a fixed width: 'W' 10, 'i' 0 (a zero-width
// character), the two halves of a surrogate pair 3 and 4, anything else 5.
int32_t UnitWidth(char16_t unit) {
  if (unit == u'W') return 10;
  if (unit == u'i') return 0;
  if (unit >= 0xD800 && unit <= 0xDBFF) return 3;
  if (unit >= 0xDC00 && unit <= 0xDFFF) return 4;
  return 5;
}

// Sums the widths and records the length of every text it measured.
struct RecordingMeasure {
  std::vector<size_t> measuredLengths;
  TextWidthMeasure Get() {
    return [this](std::u16string_view text) {
      measuredLengths.push_back(text.size());
      int32_t width = 0;
      for (const char16_t unit : text) width += UnitWidth(unit);
      return width;
    };
  }
};

struct FitCase {
  const char* name;
  std::u16string text;
  int32_t limit;
  std::u16string expected;
  std::vector<size_t> measuredLengths;  // the whole text first, then the prefixes
};

class FitTextTable : public testing::TestWithParam<FitCase> {};

TEST_P(FitTextTable, KeepsTheLongestPrefixScannedWithinTheLimit) {
  const FitCase& c = GetParam();
  RecordingMeasure measure;
  EXPECT_EQ(FitTextToWidth(c.text, c.limit, measure.Get()), c.expected);
  EXPECT_EQ(measure.measuredLengths, c.measuredLengths);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FitTextTable,
    testing::Values(
        FitCase{"ExactlyAsWideAsTheLimitIsUnchanged", u"abc", 15, u"abc", {3}},
        FitCase{"EmptyTextIsUnchanged", u"", 0, u"", {0}},
        FitCase{"PrefixBelowThenAbove", u"WWW", 25, u"WW...", {3, 1, 2, 3}},
        // "abc" is exactly 15 wide: the scan stops there although the zero-width
        // 'i's after it would still fit.
        FitCase{"ExactLimitPrefixEndsTheScan", u"abciiW", 15, u"abc...", {6, 1, 2, 3}},
        FitCase{"ZeroWidthUnitsBelowTheLimitAreKept", u"aiiW", 12, u"aii...", {4, 1, 2, 3, 4}},
        FitCase{"NothingFitsGivesTheEllipsisAlone", u"Wa", 9, u"...", {2, 1}},
        FitCase{"NegativeLimitGivesTheEllipsisAlone", u"", -1, u"...", {0}},
        // a, b, then the high half of U+1F600 reaches the limit exactly: the
        // cut falls inside the surrogate pair.
        FitCase{"CutInsideASurrogatePair", u"ab\U0001F600c", 13, u"ab\xD83D...", {5, 1, 2, 3}},
        FitCase{
            "SurrogatePairKeptWhole", u"ab\U0001F600c", 17, u"ab\U0001F600...", {5, 1, 2, 3, 4}}),
    [](const testing::TestParamInfo<FitCase>& info) { return info.param.name; });

TEST(FitTextToWidth, ScanStopsAtTheFirstPrefixTooWideEvenIfALongerOneIsNarrower) {
  // Kerning can make a longer prefix narrower; the scan never looks past the
  // first one that is too wide.
  const std::map<std::u16string, int32_t> widths{
      {u"a", 5}, {u"ab", 20}, {u"abc", 10}, {u"abcd", 30}};
  const TextWidthMeasure measure = [&widths](std::u16string_view text) {
    return widths.at(std::u16string(text));
  };
  EXPECT_EQ(FitTextToWidth(u"abcd", 15, measure), u"a...");
}

TEST(FitTextToWidth, TheEllipsisIsAddedUnmeasured) {
  RecordingMeasure measure;
  const std::u16string fitted = FitTextToWidth(u"aaaaaa", 20, measure.Get());
  EXPECT_EQ(fitted, u"aaaa...");
  for (const size_t length : measure.measuredLengths) EXPECT_LE(length, 6u);
  // The result is wider than the limit by the ellipsis.
  int32_t width = 0;
  for (const char16_t unit : fitted) width += UnitWidth(unit);
  EXPECT_EQ(width, 35);
}

}  // namespace
