#include <gtest/gtest.h>

#include <ostream>

#include "popups/popup_placement.h"

namespace {

struct PlacementCase {
  const char* name;
  WorkArea work;
  int32_t popupWidth, popupHeight;
  float factor;
  PopupPosition expected;
  friend void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, BottomRightOfTheWorkAreaOneScaledPixelIn) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(BottomRightPopupPosition(c.work, c.popupWidth, c.popupHeight, c.factor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WorkAreas, Placement,
    testing::Values(
        PlacementCase{"TaskbarAtTheBottom", {0, 0, 1920, 1040}, 247, 136, 1.0f, {1672, 903}},
        // 1920 - 308 - 1.25 = 1610.75 and 1040 - 170 - 1.25 = 868.75: the fraction is dropped.
        PlacementCase{"PngBackgroundAt125", {0, 0, 1920, 1040}, 308, 170, 1.25f, {1610, 868}},
        // A 60-pixel panel along the left edge: the work area starts at 60
        // and is 1860 wide, so the popup still ends one pixel short of the
        // screen's right edge.
        PlacementCase{"TaskbarAtTheLeft", {60, 0, 1860, 1080}, 247, 136, 1.0f, {1672, 943}},
        PlacementCase{"TaskbarAtTheTop", {0, 32, 1920, 1048}, 247, 136, 1.0f, {1672, 943}},
        PlacementCase{"At150", {0, 0, 2560, 1400}, 370, 204, 1.5f, {2188, 1194}},
        PlacementCase{"At200", {0, 0, 3840, 2100}, 494, 272, 2.0f, {3344, 1826}},
        // The primary monitor right of a 1920-wide one, its panel at the bottom.
        PlacementCase{"PrimaryRightOfAnother", {1920, 0, 1920, 1052}, 247, 136, 1.0f, {3592, 915}},
        // ... below a 1080-high one, at 150 %: 2560 - 370 - 1.5 = 2188.5.
        PlacementCase{
            "PrimaryBelowAnotherAt150", {0, 1080, 2560, 1400}, 370, 204, 1.5f, {2188, 2274}},
        // ... left of the screen's origin: the fraction is dropped before the
        // origin is added, so the distance to the edges does not depend on it.
        PlacementCase{
            "PrimaryLeftOfTheOrigin", {-1280, -200, 1280, 1024}, 308, 170, 1.25f, {-310, 652}},
        // Dropping the fraction goes towards zero, also below zero.
        PlacementCase{"PopupWiderThanTheWorkArea", {0, 0, 200, 100}, 247, 136, 1.25f, {-48, -37}},
        PlacementCase{
            "PopupWiderThanAnOffsetWorkArea", {500, 300, 200, 100}, 247, 136, 1.25f, {452, 263}},
        PlacementCase{"PopupFillsTheWorkArea", {0, 0, 247, 136}, 247, 136, 1.0f, {-1, -1}},
        PlacementCase{
            "FailedDensityQueryFactorZero", {0, 0, 1920, 1040}, 247, 136, 0.0f, {1673, 904}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

TEST(PlacementLimits, ExtremeSizesStayInTheIntegerRange) {
  const PopupPosition far =
      BottomRightPopupPosition({0, 0, INT32_MAX, INT32_MAX}, INT32_MIN, INT32_MIN, 1.0f);
  EXPECT_EQ(far, (PopupPosition{INT32_MAX, INT32_MAX}));
  const PopupPosition near =
      BottomRightPopupPosition({0, 0, INT32_MIN, INT32_MIN}, INT32_MAX, INT32_MAX, 1.0f);
  EXPECT_EQ(near, (PopupPosition{INT32_MIN, INT32_MIN}));
  // An origin far out adds to an edge that is already far out.
  const PopupPosition farOut =
      BottomRightPopupPosition({INT32_MAX, INT32_MIN, 1000, 1000}, 247, 136, 1.0f);
  EXPECT_EQ(farOut, (PopupPosition{INT32_MAX, INT32_MIN + 863}));
}

}  // namespace
