#include "popups/qt/popup_outline.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <ostream>
#include <string>

#include "skin/qt/qt_window_shape.h"
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

TEST_F(PopupOutline, AlphaOfAPngFollowsItsOwnTransparencyEnlargedSmoothly) {
  // Drawn twice its size, as on a 192-dpi monitor: the transparent corner
  // stays clear, the opaque far side opaque, and the border between them
  // takes values in between instead of 2-pixel steps.
  const QImage alpha = PopupOutlineAlpha(SmallPicture(), QSize(8, 4), QRegion());
  ASSERT_EQ(alpha.size(), QSize(8, 4));
  EXPECT_LT(alpha.pixelColor(0, 0).alpha(), 64);
  EXPECT_EQ(alpha.pixelColor(7, 3).alpha(), 255);
  const int between = alpha.pixelColor(1, 1).alpha();
  EXPECT_GT(between, 0);
  EXPECT_LT(between, 255);
  EXPECT_NE(alpha.pixelColor(0, 0).alpha(), alpha.pixelColor(1, 0).alpha());
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

// The shipped popup pictures at the densities of a fractional or doubled
// output, blended by a compositor over a light and a dark background: the
// transparency of the rounded outline is as smooth as its colours, so no
// pixel of the edge comes out brighter than both the popup near it and
// what lies behind. Alpha enlarged pixel by pixel under colours enlarged
// smoothly leaves light speckles and steps along the corners.
struct EdgeCase {
  const char* name;
  const char* picture;
  float scale;
};

void PrintTo(const EdgeCase& edge, std::ostream* out) { *out << edge.name; }

class PopupOutlineEdges : public testing::TestWithParam<EdgeCase> {
 protected:
  void SetUp() override { TestApplication(); }
};

int Brightest(QRgb pixel) { return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}); }

TEST_P(PopupOutlineEdges, NoEdgePixelIsBrighterThanThePopupAndTheBackground) {
  const QImage png(QStringLiteral(CORVANE_SOURCE_DIR "/data/") + GetParam().picture);
  ASSERT_FALSE(png.isNull());
  ASSERT_TRUE(png.hasAlphaChannel());
  const ScaledBackground scaled = ScalePngBackground(png, GetParam().scale);
  ASSERT_FALSE(scaled.shown.isNull());
  const QImage alpha = PopupOutlineAlpha(png, scaled.shown.size(), QRegion());
  const QImage popup = ApplyOutline(scaled.shown, alpha);
  // The popup's own colours, the picture enlarged smoothly and unblended.
  const QImage colours = png.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                             .scaled(popup.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32);

  for (const QRgb background : {qRgb(0x20, 0xa0, 0x40), qRgb(230, 230, 230), qRgb(0, 0, 0)}) {
    QImage screen(popup.size(), QImage::Format_ARGB32_Premultiplied);
    screen.fill(background);
    QPainter painter(&screen);
    painter.drawImage(0, 0, popup);
    painter.end();
    int brighter = 0;
    for (int y = 0; y < popup.height(); ++y) {
      for (int x = 0; x < popup.width(); ++x) {
        const int a = qAlpha(popup.pixel(x, y));
        if (a == 0 || a == 255) continue;
        // The popup's brightest colour at and next to this edge pixel.
        int popupBrightest = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const QPoint near(x + dx, y + dy);
            if (colours.rect().contains(near) && qAlpha(colours.pixel(near)) > 0)
              popupBrightest = std::max(popupBrightest, Brightest(colours.pixel(near)));
          }
        }
        const int limit = std::max(popupBrightest, Brightest(background)) + 2;
        if (Brightest(screen.pixel(x, y)) > limit) ++brighter;
      }
    }
    EXPECT_EQ(brighter, 0) << "edge pixels over background " << std::hex << background;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scales, PopupOutlineEdges,
    testing::Values(EdgeCase{"LTKeyAt125", "LTKeyHint/English/LTKeyHint_Background.png", 1.25F},
                    EdgeCase{"LTKeyAt150", "LTKeyHint/English/LTKeyHint_Background.png", 1.5F},
                    EdgeCase{"LTKeyAt200", "LTKeyHint/English/LTKeyHint_Background.png", 2.0F},
                    EdgeCase{"RTModeAt125", "RTModeHint/English/RTModeHint_Background.png", 1.25F},
                    EdgeCase{"RTModeAt150", "RTModeHint/English/RTModeHint_Background.png", 1.5F},
                    EdgeCase{"RTModeAt200", "RTModeHint/English/RTModeHint_Background.png", 2.0F}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
