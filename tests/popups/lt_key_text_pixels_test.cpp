// A too-long LT-key text as the screen shows it: shortened with "..." in
// the font it is drawn with, whole inside its label, dots and all.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <string>

#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "tests/popups/popup_fixture.h"

namespace {

// Room around the label for ink that would fall outside it.
constexpr int kMargin = 100;

QImage Transparent(const QSize& size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// The label's text drawn as the label draws it (font, alignment, one line),
// with kMargin of room on every side and no clipping.
QImage UnclippedText(const QLabel& label, const QString& text) {
  QImage image = Transparent(label.size() + QSize(2 * kMargin, 2 * kMargin));
  QPainter painter(&image);
  painter.setFont(label.font());
  painter.setPen(Qt::black);
  painter.drawText(QRect(QPoint(kMargin, kMargin), label.size()),
                   static_cast<int>(label.alignment()) | Qt::TextSingleLine | Qt::TextDontClip,
                   text);
  return image;
}

// What the label itself draws, clipped to its rectangle.
QImage LabelPixels(QLabel& label) {
  QImage image = Transparent(label.size());
  label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

// Summed alpha, in whole pixels, inside `area` or outside it.
int Ink(const QImage& image, const QRect& area, bool inside) {
  long sum = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (area.contains(x, y) == inside) sum += qAlpha(image.pixel(x, y));
    }
  }
  return static_cast<int>(sum / 255);
}

struct LongTextCase {
  const char* language;
  QString text;
};

class LTKeyLongText : public PopupTest, public testing::WithParamInterface<LongTextCase> {};

// The shipped skin's text label: 247 x 30 pixels at 14 points.
TEST_P(LTKeyLongText, IsShortenedWithDotsWholeInsideTheLabel) {
  const std::string folder = Folder("LTKeyHint");
  WriteUiFile(folder,
              "[Default]\nformLTKeyHintDialog->lb_Text->Position=rectp,0,102,247,132\n"
              "lb_Text->Font->Size=14\n");
  TformLTKeyHintDialog popup(folder);
  const QString& text = GetParam().text;
  popup.ShowHintText(QStringLiteral("LT"), text);

  QLabel& label = *popup.TextLabel();
  const QString shown = label.text();
  ASSERT_TRUE(shown.endsWith(QStringLiteral("..."))) << shown.toStdString();
  const QString prefix = shown.chopped(3);
  ASSERT_TRUE(text.startsWith(prefix));
  ASSERT_FALSE(prefix.isEmpty()) << "the label has room for more than the dots";

  const QRect labelArea(QPoint(kMargin, kMargin), label.size());
  const QImage unclipped = UnclippedText(label, shown);
  EXPECT_EQ(Ink(unclipped, labelArea, false), 0) << shown.toStdString();

  // The label draws what the unclipped text shows inside it.
  const QImage drawn = LabelPixels(label);
  const int drawnInk = Ink(drawn, drawn.rect(), true);
  EXPECT_NEAR(drawnInk, Ink(unclipped, labelArea, true), 2 + drawnInk / 50);

  // The dots: the columns after the prefix hold as much ink as "..." alone.
  const QFontMetrics metrics(label.font());
  const QRect dotColumns(metrics.horizontalAdvance(prefix), 0, label.width(), label.height());
  const QImage dotsAlone = UnclippedText(label, QStringLiteral("..."));
  const int dotsInk = Ink(dotsAlone, dotsAlone.rect(), true);
  ASSERT_GT(dotsInk, 0);
  EXPECT_GE(Ink(drawn, dotColumns, true), dotsInk * 9 / 10);
}

// Long texts in the notification texts' three languages.
INSTANTIATE_TEST_SUITE_P(
    Languages, LTKeyLongText,
    testing::Values(
        LongTextCase{"English", QStringLiteral("Lighting Trigger Mode for the Mouse CPI")},
        LongTextCase{"ChineseS", QStringLiteral("鼠标 CPI 灯光触发模式 LT 键 RT 模式")},
        LongTextCase{"ChineseT", QStringLiteral("滑鼠 CPI 燈光觸發模式 LT 鍵 RT 模式")}),
    [](const testing::TestParamInfo<LongTextCase>& info) { return info.param.language; });

}  // namespace
