#include <gtest/gtest.h>

#include "popups/popup_placement.h"

namespace {

struct PlacementCase {
  const char* name;
  int32_t workWidth, workHeight, popupWidth, popupHeight;
  float factor;
  PopupPosition expected;
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, BottomRightOfTheWorkAreaOneScaledPixelIn) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(BottomRightPopupPosition(c.workWidth, c.workHeight, c.popupWidth, c.popupHeight, c.factor),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WorkAreas, Placement,
    testing::Values(
        PlacementCase{"TaskbarAtTheBottom", 1920, 1040, 247, 136, 1.0f, {1672, 903}},
        // 1920 - 308 - 1.25 = 1610.75 and 1040 - 170 - 1.25 = 868.75: the fraction is dropped.
        PlacementCase{"PngBackgroundAt125", 1920, 1040, 308, 170, 1.25f, {1610, 868}},
        PlacementCase{"TaskbarAtTheLeftOnlyNarrowsTheWidth", 1860, 1080, 247, 136, 1.0f, {1612, 943}},
        PlacementCase{"At150", 2560, 1400, 370, 204, 1.5f, {2188, 1194}},
        PlacementCase{"At200", 3840, 2100, 494, 272, 2.0f, {3344, 1826}},
        // Dropping the fraction goes towards zero, also below zero.
        PlacementCase{"PopupWiderThanTheWorkArea", 200, 100, 247, 136, 1.25f, {-48, -37}},
        PlacementCase{"PopupFillsTheWorkArea", 247, 136, 247, 136, 1.0f, {-1, -1}},
        PlacementCase{"FailedDensityQueryFactorZero", 1920, 1040, 247, 136, 0.0f, {1673, 904}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

TEST(PlacementLimits, ExtremeSizesStayInTheIntegerRange) {
  const PopupPosition far = BottomRightPopupPosition(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, 1.0f);
  EXPECT_EQ(far, (PopupPosition{INT32_MAX, INT32_MAX}));
  const PopupPosition near = BottomRightPopupPosition(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1.0f);
  EXPECT_EQ(near, (PopupPosition{INT32_MIN, INT32_MIN}));
}

}  // namespace
