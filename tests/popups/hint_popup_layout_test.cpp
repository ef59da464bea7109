// The popups' layout and text rules, without a window: the same rules serve
// the Qt and the Win32 popups.
#include "popups/hint_popup_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "skin/Language_subroutines.h"
#include "skin/ui_description.h"

namespace {

struct GeometryCase {
  float factor;
  HintPopupGeometry expected;
};

TEST(HintPopupLayout, RectanglesScaleWithTheMonitorsFactor) {
  // Lengths round half up, each edge on its own: 247 x 1.25 = 308.75 gives 309.
  const GeometryCase cases[] = {
      {1.0f, {{0, 0, 247, 136}, {0, 74, 247, 106}, {0, 104, 247, 136}, {0, 100, 239, 115}}},
      {1.25f, {{0, 0, 309, 170}, {0, 93, 309, 133}, {0, 130, 309, 170}, {0, 125, 299, 144}}},
      {1.5f, {{0, 0, 371, 204}, {0, 111, 371, 159}, {0, 156, 371, 204}, {0, 150, 359, 173}}},
      {2.0f, {{0, 0, 494, 272}, {0, 148, 494, 212}, {0, 208, 494, 272}, {0, 200, 478, 230}}},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "factor " << c.factor);
    const HintPopupGeometry geometry = ScaledHintPopupGeometry(c.factor);
    EXPECT_EQ(geometry.client, c.expected.client);
    EXPECT_EQ(geometry.titleLabel, c.expected.titleLabel);
    EXPECT_EQ(geometry.textLabel, c.expected.textLabel);
    EXPECT_EQ(geometry.markerLabel, c.expected.markerLabel);
  }
}

TEST(HintPopupLayout, SkinnedSizeIsTheLoadedPicturesElseTheLayouts) {
  const Rect client{0, 0, 309, 170};
  EXPECT_EQ(SkinnedPopupSize(client, std::nullopt), (PopupSize{309, 170}));
  EXPECT_EQ(SkinnedPopupSize(client, Rect{0, 0, 308, 170}), (PopupSize{308, 170}));
  // A picture smaller than the layout shrinks the popup too.
  EXPECT_EQ(SkinnedPopupSize(client, Rect{0, 0, 100, 50}), (PopupSize{100, 50}));
}

TEST(HintPopupLayout, DataFolderIsTheGivenOneElseDataBesideTheExecutable) {
  EXPECT_EQ(HintPopupDataFolder(kLTKeyHintConstants, "/opt/corvane/", ""),
            "/opt/corvane/Data/LTKeyHint/");
  EXPECT_EQ(HintPopupDataFolder(kRTModeHintConstants, "C:/Programs/Corvane/", ""),
            "C:/Programs/Corvane/Data/RTModeHint/");
  EXPECT_EQ(HintPopupDataFolder(kLTKeyHintConstants, "/opt/corvane/", "/tmp/test/"), "/tmp/test/");
}

TEST(HintPopupLayout, ResourcesAreThoseOfLanguage1033WhateverTheSystemsLanguage) {
  for (const uint16_t system : {uint16_t{1033}, uint16_t{2052}, uint16_t{1028}, uint16_t{0}}) {
    SetSystemLanguageIdSource([system] { return system; });
    const HintPopupLanguage language = PopupResourceLanguage();
    EXPECT_EQ(language.id, 1033) << system;
    EXPECT_EQ(language.name, u"1033") << system;
  }
  SetSystemLanguageIdSource({});
}

TEST(HintPopupLayout, MarkerShowsForModesFourAndFiveHidesForOneToThree) {
  const struct {
    uint32_t mode;
    std::optional<bool> visible;
  } cases[] = {{0, std::nullopt}, {1, false}, {2, false},        {3, false},
               {4, true},         {5, true},  {6, std::nullopt}, {UINT32_MAX, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(MarkerVisibleForMode(c.mode), c.visible) << c.mode;
}

TEST(HintPopupLayout, LTKeyTextSizeComesFromTheDefaultSectionElseStaysAsSkinned) {
  constexpr double kSkinned = 18.5;
  const struct {
    const char* uiFile;  // nullptr: the popup has no UI.txt
    double expected;
  } cases[] = {
      {nullptr, kSkinned},
      {"[Default]\nlb_Text->Font->Size=14\n", 14.0},
      {"[default]\nLB_TEXT->FONT->SIZE=+22\n", 22.0},
      {"[Default]\nlb_Text->Font->Color=rgb,1,2,3\n", kSkinned},
      {"[Default]\nlb_Text->Font->Size=14pt\n", kSkinned},
      {"[Default]\nlb_Text->Font->Size=0\n", kSkinned},
      // The language sections were applied at creation; a show reads Default only.
      {"[English]\nlb_Text->Font->Size=30\n", kSkinned},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.uiFile != nullptr ? c.uiFile : "no UI.txt");
    const std::unique_ptr<UiDescription> ui =
        c.uiFile != nullptr ? UiDescription::FromBytes(c.uiFile) : nullptr;
    EXPECT_DOUBLE_EQ(LTKeyTextPointSize(ui.get(), kSkinned), c.expected);
  }
}

// A label whose font is monospaced: every code unit, the dots of "..."
// included, is as wide as the point size, and a line is as tall as the point
// size, so a rule that measures at a stale size, or leaves the dots out,
// gives other results.
class FakeTextLabel : public HintTextLabel {
 public:
  FakeTextLabel(int32_t width, double points, int32_t height = 1000)
      : pointSize(points), m_Width(width), m_Height(height) {}

  int32_t Width() const override { return m_Width; }
  int32_t Height() const override { return m_Height; }
  int32_t TextWidth(std::u16string_view text) const override {
    return static_cast<int32_t>(text.size() * pointSize);
  }
  int32_t LineHeight(std::u16string_view) const override { return static_cast<int32_t>(pointSize); }
  void SetText(std::u16string value) override { text = std::move(value); }
  void SetPointSize(double points) override { pointSize = points; }
  void SetAlignment(PopupTextAlignment value) override { alignment = value; }
  void WriteDiagnostic(const char* name, int32_t value) const override {
    diagnostics.push_back(std::string(name) + "=" + std::to_string(value));
  }

  std::u16string text = u"old text";
  double pointSize;
  PopupTextAlignment alignment = PopupTextAlignment::Left;
  mutable std::vector<std::string> diagnostics;

 private:
  int32_t m_Width;
  int32_t m_Height;
};

struct ShowCase {
  const char* name;
  int32_t labelWidth;
  std::u16string text;
  std::u16string shown;
  double pointSize;
  PopupTextAlignment alignment;
  int32_t labelHeight = 1000;
  friend void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }
};

// What the label shows after one show of a text measured at 14 points,
// and the two diagnostic lines.
void ExpectShown(const FakeTextLabel& label, const ShowCase& c) {
  EXPECT_EQ(label.text, c.shown);
  EXPECT_DOUBLE_EQ(label.pointSize, c.pointSize);
  EXPECT_EQ(label.alignment, c.alignment);
  const std::vector<std::string> diagnostics{"iTextWidth=" + std::to_string(c.text.size() * 14),
                                             "lb_Text->Width=" + std::to_string(c.labelWidth)};
  EXPECT_EQ(label.diagnostics, diagnostics);
}

constexpr auto kLeft = PopupTextAlignment::Left;
constexpr auto kCenter = PopupTextAlignment::Center;

class LTKeyTextRule : public testing::TestWithParam<ShowCase> {};

// Shown at 14 points: each unit is 14 wide; shortened at 40 points, 40
// wide, "..." 120.
TEST_P(LTKeyTextRule, FitsCentredOrShortensLeftAlignedWithinTheLabel) {
  const ShowCase& c = GetParam();
  // Skinned at another size, left-aligned: the show sets both.
  FakeTextLabel label(c.labelWidth, 9.0, c.labelHeight);
  ShowLTKeyText(label, c.text, 14.0);
  ExpectShown(label, c);
  EXPECT_LE(label.TextWidth(label.text), c.labelWidth);
}

// Twenty units: 280 wide at 14 points.
const std::u16string kTwenty = u"abcdefghijklmnopqrst";

INSTANTIATE_TEST_SUITE_P(
    Texts, LTKeyTextRule,
    testing::Values(
        ShowCase{"ExactlyAsWideAsTheLabelFits", 140, u"abcdefghij", u"abcdefghij", 14.0, kCenter},
        // Three units and the dots make 240.
        ShowCase{"OnePixelWiderIsShortenedDotsIncluded", 279, kTwenty, u"abc...", 40.0, kLeft},
        ShowCase{"EmptyTextIsCentred", 0, u"", u"", 14.0, kCenter},
        // "abc..." is exactly 240: the scan ends there.
        ShowCase{"PrefixAsWideAsTheLimitEndsTheScan", 240, kTwenty, u"abc...", 40.0, kLeft},
        // A line of 40 points is taller than the 30-pixel label: at 30 points
        // six units and the dots make 270.
        ShowCase{"SizeStepsDownToTheLabelsHeight", 279, kTwenty, u"abcdef...", 30.0, kLeft, 30},
        // Never smaller than the size the text was shown at.
        ShowCase{"NeverSmallerThanTheShownSize", 279, kTwenty, u"abcdefghijklmnop...", 14.0, kLeft,
                 10},
        // "..." is 120 at 40 points; two dots fit.
        ShowCase{"OnlyTheDotsThatFit", 100, u"abcdefgh", u"..", 40.0, kLeft},
        // The high half of U+1F600 is one unit: the cut may fall inside the pair.
        ShowCase{"CutInsideASurrogatePair", 250, u"ab\U0001F600cdefghijklmnopq", u"ab\xD83D...",
                 40.0, kLeft}),
    [](const testing::TestParamInfo<ShowCase>& info) { return info.param.name; });

TEST(LTKeyTextRuleInTurn, ShortTextAfterAShortenedOneIsCentredAtTheGivenSize) {
  FakeTextLabel label(100, 14.0);
  ShowLTKeyText(label, u"far too long for the label", 14.0);
  ASSERT_DOUBLE_EQ(label.pointSize, 40.0);
  // Measured at the size given now, not at the 40 points left behind: at 40
  // points "LT 1" would be 160 wide.
  ShowLTKeyText(label, u"LT 1", 14.0);
  EXPECT_EQ(label.text, u"LT 1");
  EXPECT_DOUBLE_EQ(label.pointSize, 14.0);
  EXPECT_EQ(label.alignment, kCenter);
}

class RTModeTextRule : public testing::TestWithParam<ShowCase> {};

// Skinned at 14 points: the size and the text never change.
TEST_P(RTModeTextRule, TooWideIsOnlyLeftAligned) {
  const ShowCase& c = GetParam();
  FakeTextLabel label(c.labelWidth, 14.0);
  ShowRTModeText(label, c.text);
  ExpectShown(label, c);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RTModeTextRule,
    testing::Values(ShowCase{"ExactlyAsWideAsTheLabelIsCentred", 182, u"Rapid Trigger",
                             u"Rapid Trigger", 14.0, kCenter},
                    ShowCase{"OnePixelWiderIsLeftAligned", 181, u"Rapid Trigger", u"Rapid Trigger",
                             14.0, kLeft},
                    ShowCase{"EmptyTextIsCentred", 0, u"", u"", 14.0, kCenter}),
    [](const testing::TestParamInfo<ShowCase>& info) { return info.param.name; });

TEST(HintPopupLayout, FitTextToWidthOfALabelMeasuresInItsOwnFontDotsIncluded) {
  // 10 per unit in the 10-point font of a label 45 wide.
  const FakeTextLabel label(45, 10.0);
  EXPECT_EQ(FitTextToWidth(label, u"abcd"), u"abcd");
  EXPECT_EQ(FitTextToWidth(label, u"abcdef"), u"a...");
}

}  // namespace
