// The popups' labels are drawn bold, Latin letters as much as Chinese ones.
#include "popups/qt/popup_fonts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <string>

#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/bold_face_check.h"
#include "tests/popups/popup_fixture.h"

namespace {

// The summed alpha of what the label draws, in whole pixels.
int InkOf(QLabel& label) {
  QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  long sum = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) sum += qAlpha(image.pixel(x, y));
  }
  return static_cast<int>(sum / 255);
}

struct BoldCase {
  const char* name;
  QString text;
};

class PopupLabelWeight : public PopupTest, public testing::WithParamInterface<BoldCase> {};

// A real bold (or an emboldened regular face) draws some 1.5 times the
// regular weight's ink; a face bold in name only draws the same.
TEST_P(PopupLabelWeight, BoldLabelDrawsClearlyMoreInkThanRegular) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  QLabel& label = *popup.lb_LTKey;
  label.setText(GetParam().text);
  ASSERT_TRUE(label.font().bold());
  const int bold = InkOf(label);

  QFont regular = label.font();
  regular.setBold(false);
  label.setFont(regular);
  const int normal = InkOf(label);

  ASSERT_GT(normal, 20);
  EXPECT_GT(bold, normal * 5 / 4) << "bold " << bold << ", regular " << normal;
}

INSTANTIATE_TEST_SUITE_P(Texts, PopupLabelWeight,
                         testing::Values(BoldCase{"Latin", QStringLiteral("Mouse CPI")},
                                         BoldCase{"ChineseS", QStringLiteral("鼠标 模式 键")},
                                         BoldCase{"ChineseT", QStringLiteral("滑鼠 模式 鍵")},
                                         BoldCase{"Mixed", QStringLiteral("鼠标 CPI")}),
                         [](const testing::TestParamInfo<BoldCase>& info) {
                           return info.param.name;
                         });

QByteArray ReadFile(const char* path) {
  QFile file(QString::fromLatin1(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BoldFaceCheck : public PopupTest {};

TEST_F(BoldFaceCheck, TellsARealBoldFromOneBoldInNameOnly) {
  const QByteArray dejaVu = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  const QByteArray dejaVuBold = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  const QByteArray tahoma = ReadFile("/usr/share/wine/fonts/tahoma.ttf");
  const QByteArray tahomaBold = ReadFile("/usr/share/wine/fonts/tahomabd.ttf");
  if (dejaVu.isEmpty() || dejaVuBold.isEmpty() || tahoma.isEmpty() || tahomaBold.isEmpty())
    GTEST_SKIP() << "fonts-dejavu-core and fonts-wine are needed";
  EXPECT_TRUE(DrawsHeavierThan(dejaVuBold, dejaVu));
  EXPECT_FALSE(DrawsHeavierThan(tahomaBold, tahoma));
  EXPECT_FALSE(DrawsHeavierThan(dejaVu, dejaVu));
}

TEST_F(BoldFaceCheck, LeavesBytesThatAreNoFontAlone) {
  for (const QByteArray& bytes : {QByteArray(), QByteArray("OTTO"), QByteArray(300, '\xff')}) {
    EXPECT_EQ(AsFaceToEmbolden(bytes), bytes);
  }
}

}  // namespace
