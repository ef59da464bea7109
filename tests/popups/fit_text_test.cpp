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
  // The whole text first, then the prefixes with their "...", then the dots
  // alone where not even "..." fits.
  std::vector<size_t> measuredLengths;
};

class FitTextTable : public testing::TestWithParam<FitCase> {};

TEST_P(FitTextTable, KeepsTheLongestPrefixThatFitsWithItsDots) {
  const FitCase& c = GetParam();
  RecordingMeasure measure;
  const std::u16string fitted = FitTextToWidth(c.text, c.limit, measure.Get());
  EXPECT_EQ(fitted, c.expected);
  EXPECT_EQ(measure.measuredLengths, c.measuredLengths);
  // Whatever comes back stays within the limit, dots included.
  int32_t width = 0;
  for (const char16_t unit : fitted) width += UnitWidth(unit);
  if (!fitted.empty()) {
    EXPECT_LE(width, c.limit);
  }
}

// "..." is 15 wide.
INSTANTIATE_TEST_SUITE_P(
    Texts, FitTextTable,
    testing::Values(
        FitCase{"ExactlyAsWideAsTheLimitIsUnchanged", u"abc", 15, u"abc", {3}},
        FitCase{"EmptyTextIsUnchanged", u"", 0, u"", {0}},
        // "W..." 25, "WW..." 35.
        FitCase{"PrefixBelowThenAbove", u"WWWW", 34, u"W...", {4, 3, 4, 5}},
        // "abc..." is exactly 30: the scan stops there although the zero-width
        // 'i's after it would still fit.
        FitCase{"ExactLimitPrefixEndsTheScan", u"abciiWW", 30, u"abc...", {7, 3, 4, 5, 6}},
        FitCase{"ZeroWidthUnitsBelowTheLimitAreKept", u"aiiWW", 22, u"aii...", {5, 3, 4, 5, 6, 7}},
        FitCase{"OnlyTheEllipsisFits", u"WWa", 20, u"...", {3, 3, 4}},
        // Not even "..." fits: as many dots as do.
        FitCase{"OnlyTwoDotsFit", u"Wa", 14, u"..", {2, 3, 2}},
        FitCase{"OnlyOneDotFits", u"Wa", 9, u".", {2, 3, 2, 1}},
        FitCase{"NothingFitsANegativeLimit", u"a", -1, u"", {1, 3, 2, 1}},
        // a, b, then the high half of U+1F600 and the dots reach the limit
        // exactly: the cut falls inside the surrogate pair.
        FitCase{"CutInsideASurrogatePair", u"ab\U0001F600cWW", 28, u"ab\xD83D...", {7, 3, 4, 5, 6}},
        FitCase{"SurrogatePairKeptWhole",
                u"ab\U0001F600cWW",
                32,
                u"ab\U0001F600...",
                {7, 3, 4, 5, 6, 7}}),
    [](const testing::TestParamInfo<FitCase>& info) { return info.param.name; });

TEST(FitTextToWidth, ScanStopsAtTheFirstPrefixTooWideEvenIfALongerOneIsNarrower) {
  // Kerning can make a longer prefix narrower; the scan never looks past the
  // first one that is too wide.
  const std::map<std::u16string, int32_t> widths{
      {u"abcd", 30}, {u"...", 3}, {u"a...", 8}, {u"ab...", 20}, {u"abc...", 10}};
  const TextWidthMeasure measure = [&widths](std::u16string_view text) {
    return widths.at(std::u16string(text));
  };
  EXPECT_EQ(FitTextToWidth(u"abcd", 15, measure), u"a...");
}

}  // namespace
