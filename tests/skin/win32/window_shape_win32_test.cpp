// The window region cut from a background picture.
#include <gtest/gtest.h>

#include "skin/win32/win32_window_shape.h"
#include "tests/support/filled_picture.h"

namespace {

constexpr uint32_t kKey = 0xFF000000u;
constexpr uint32_t kInk = 0xFF3060A0u;
constexpr uint32_t kButtonFace = 0xF0F0F0u;

TEST(Win32WindowShape, KeyColouredPixelsAreCutAndThePictureSitsAtItsPlace) {
  Picture picture = Filled(4, 3, kInk);
  picture.pixels[0] = kKey;  // the top-left pixel names the key colour
  picture.pixels[3] = kKey;  // the top-right corner
  const HRGN region = WindowShapeRegion(picture, Rect{0, 0, 4, 3}, 4, 3, kButtonFace);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_FALSE(PtInRegion(region, 3, 0));
  EXPECT_TRUE(PtInRegion(region, 1, 0));
  EXPECT_TRUE(PtInRegion(region, 3, 2));
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_EQ(box.right, 4);
  EXPECT_EQ(box.bottom, 3);
  DeleteObject(region);
}

// Nothing left to show must give a window that shows nothing, not a region
// of nothing, which Windows takes as the whole window.
TEST(Win32WindowShape, AnOutlineWithNothingLeftShowsNothing) {
  const Picture allKey = Filled(5, 5, kKey);
  const HRGN region = WindowShapeRegion(allKey, Rect{0, 0, 5, 5}, 5, 5, 0x000000);
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_LE(box.right, 0);
  EXPECT_LE(box.bottom, 0);
  EXPECT_FALSE(PtInRegion(region, 2, 2));
  DeleteObject(region);
}

}  // namespace
