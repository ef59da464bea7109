// Enlarging background pictures without a toolkit: the pixel-exact
// enlargement the outline is cut from, the smooth one that is shown, and
// drawing over an opaque fill.
#include "skin/picture_scaling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/filled_picture.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// The ink of column x: how much darker than white it is, summed down the
// column.
double ColumnInk(const Picture& picture, int32_t x) {
  double ink = 0;
  for (int32_t y = 0; y < picture.height; ++y) ink += 255 - (picture.At(x, y) & 0xFF);
  return ink;
}

TEST(PictureScaling, PixelExactEnlargementKeepsEverySourcePixelASolidBlock) {
  Picture source = Filled(3, 1, kOpaqueWhite);
  source.pixels[1] = kOpaqueBlack;
  const Picture enlarged = EnlargePixelExactly(source, {6, 2});
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 6; ++x) {
      EXPECT_EQ(enlarged.At(x, y), (x == 2 || x == 3) ? kOpaqueBlack : kOpaqueWhite) << x;
    }
  }
}

// One-pixel lines every third pixel must come out equally heavy wherever
// they fall; the nearest-pixel enlargement makes some lines twice as wide
// as others at these factors.
TEST(PictureScaling, SmoothEnlargementGivesEveryThinLineTheSameInk) {
  Picture lines = Filled(30, 4, kOpaqueWhite);
  for (int32_t x = 1; x < 30; x += 3)
    for (int32_t y = 0; y < 4; ++y) lines.pixels[static_cast<size_t>(y * 30 + x)] = kOpaqueBlack;
  for (const float factor : {1.25f, 1.5f, 1.75f}) {
    const PixelSize size = ScaledPictureSize({30, 4}, factor);
    const Picture smooth = EnlargeSmoothly(lines, size);
    std::vector<double> inkPerLine;
    for (int32_t line = 1; line + 2 < 30; line += 3) {
      const int32_t from = static_cast<int32_t>((line - 1) * factor);
      const int32_t to = static_cast<int32_t>((line + 2) * factor);
      double ink = 0;
      for (int32_t x = from; x < to && x < size.width; ++x) ink += ColumnInk(smooth, x);
      inkPerLine.push_back(ink);
    }
    const auto [least, most] = std::minmax_element(inkPerLine.begin(), inkPerLine.end());
    EXPECT_LE(*most, *least * 1.1) << "factor " << factor;
  }
}

TEST(PictureScaling, TransparentNeighboursNeverDarkenAnEdge) {
  // Premultiplied: a transparent pixel is all zeros; its opaque white
  // neighbour must stay white where they blend, only less opaque.
  Picture source = Filled(2, 1, 0u);
  source.pixels[0] = kOpaqueWhite;
  const Picture smooth = EnlargeSmoothly(source, {4, 1});
  for (int32_t x = 0; x < 4; ++x) {
    const uint32_t pixel = smooth.At(x, 0);
    const uint32_t alpha = pixel >> 24;
    EXPECT_EQ(pixel & 0xFF, alpha) << x;  // colour equals alpha: white at any opacity
  }
}

TEST(PictureScaling, OverFillBlendsByTransparency) {
  Picture picture = Filled(3, 1, 0u);
  picture.pixels[1] = 0x80400000u;  // half-transparent dark red, premultiplied
  picture.pixels[2] = kOpaqueBlack;
  const Picture filled = OverFill(picture, 0xFFFFFF);
  EXPECT_EQ(filled.At(0, 0), kOpaqueWhite);
  EXPECT_EQ(filled.At(1, 0), 0xFFBF7F7Fu);
  EXPECT_EQ(filled.At(2, 0), kOpaqueBlack);
}

TEST(PictureScaling, BackgroundFillFollowsTheTransparencyOfThePicture) {
  Picture opaque = Filled(4, 4, 0xFF102030u);
  Picture cutOut = opaque;
  cutOut.pixels[0] = 0u;
  const ScaledPictures a = ScalePngBackground(opaque, 1.5f);
  const ScaledPictures b = ScalePngBackground(cutOut, 1.5f);
  EXPECT_EQ(a.shown.width, 6);
  EXPECT_EQ(a.outline.height, 6);
  EXPECT_EQ(b.outline.At(0, 0), kOpaqueBlack);  // cut-out corner over black
  EXPECT_EQ(b.outline.At(5, 5), 0xFF102030u);
  EXPECT_TRUE(ScalePngBackground(opaque, 0.1f).shown.IsEmpty());
}

}  // namespace
