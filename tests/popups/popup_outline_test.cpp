#include "popups/qt/popup_outline.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "tests/support/qt_test_app.h"

namespace {

class PopupOutline : public testing::Test {
 protected:
  void SetUp() override { TestApplication(); }
};

// A 4 x 2 picture: a transparent corner, a half-transparent pixel and
// opaque ones.
QImage SmallPicture() {
  QImage png(4, 2, QImage::Format_ARGB32);
  png.fill(qRgba(200, 100, 50, 255));
  png.setPixel(0, 0, qRgba(0, 0, 0, 0));
  png.setPixel(1, 0, qRgba(200, 100, 50, 128));
  return png;
}

TEST_F(PopupOutline, AlphaOfAPngFollowsItsOwnTransparencyScaled) {
  // Drawn twice its size, as on a 192-dpi monitor.
  const QImage alpha = PopupOutlineAlpha(SmallPicture(), QSize(8, 4), QRegion());
  ASSERT_EQ(alpha.size(), QSize(8, 4));
  EXPECT_EQ(alpha.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(alpha.pixelColor(1, 1).alpha(), 0);
  EXPECT_NEAR(alpha.pixelColor(2, 0).alpha(), 128, 1);
  EXPECT_EQ(alpha.pixelColor(7, 3).alpha(), 255);
}

TEST_F(PopupOutline, WithoutAnAlphaChannelTheShapeDecides) {
  // An opaque PNG, and a background that is no PNG at all (no decoded
  // picture), both take the key-colour shape: 255 inside, 0 outside.
  QImage opaque(4, 2, QImage::Format_RGB32);
  opaque.fill(qRgb(10, 20, 30));
  const QRegion shape = QRegion(1, 0, 3, 1) + QRegion(0, 1, 4, 1);
  for (const QImage& png : {opaque, QImage()}) {
    const QImage alpha = PopupOutlineAlpha(png, QSize(4, 2), shape);
    SCOPED_TRACE(png.isNull() ? "no PNG" : "an opaque PNG");
    EXPECT_EQ(alpha.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(alpha.pixelColor(1, 0).alpha(), 255);
    EXPECT_EQ(alpha.pixelColor(0, 1).alpha(), 255);
    EXPECT_EQ(alpha.pixelColor(3, 1).alpha(), 255);
  }
}

TEST_F(PopupOutline, ApplyKeepsPremultipliedColoursValid) {
  // The popup as drawn: the picture over black, so a half-transparent pixel
  // already holds its colour times its alpha; a label pixel is brighter than
  // the alpha allows there and must be clamped.
  QImage rendered(3, 1, QImage::Format_RGB32);
  rendered.setPixel(0, 0, qRgb(0, 0, 0));
  rendered.setPixel(1, 0, qRgb(100, 50, 25));
  rendered.setPixel(2, 0, qRgb(255, 255, 255));
  QImage alpha(3, 1, QImage::Format_Alpha8);
  alpha.scanLine(0)[0] = 0;
  alpha.scanLine(0)[1] = 128;
  alpha.scanLine(0)[2] = 64;
  const QImage result = ApplyOutline(rendered, alpha);
  ASSERT_EQ(result.format(), QImage::Format_ARGB32_Premultiplied);
  const auto* row = reinterpret_cast<const QRgb*>(result.constScanLine(0));
  EXPECT_EQ(row[0], qRgba(0, 0, 0, 0));
  EXPECT_EQ(row[1], qRgba(100, 50, 25, 128));
  EXPECT_EQ(row[2], qRgba(64, 64, 64, 64));
}

TEST_F(PopupOutline, PixelsOutsideTheAlphaImageAreTransparent) {
  QImage rendered(2, 2, QImage::Format_RGB32);
  rendered.fill(qRgb(9, 9, 9));
  QImage alpha(1, 1, QImage::Format_Alpha8);
  alpha.fill(255);
  const QImage result = ApplyOutline(rendered, alpha);
  EXPECT_EQ(qAlpha(result.pixel(0, 0)), 255);
  EXPECT_EQ(result.pixel(1, 0), 0u);
  EXPECT_EQ(result.pixel(0, 1), 0u);
}

}  // namespace
