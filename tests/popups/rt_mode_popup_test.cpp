#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <string>

#include "popups/qt/FORM_RTModeHintDialog.h"
#include "tests/popups/popup_fixture.h"

namespace {

bool IsLeftAligned(const QLabel* label) {
  return (label->alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignLeft;
}
bool IsCentred(const QLabel* label) {
  return (label->alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter;
}

class RTModePopup : public PopupTest {};

TEST_F(RTModePopup, TooWideTextIsLeftAlignedButNeverShortenedOrResized) {
  TformRTModeHintDialog popup(Folder("RTModeHint"));
  QLabel* text = popup.TextLabel();
  const QFont skinned = text->font();
  const QString wide = QStringLiteral("Rapid Trigger Pro with a much longer name");
  ASSERT_GT(QFontMetrics(skinned).horizontalAdvance(wide), text->width());

  popup.ShowHintText(3, QStringLiteral("RT Mode"), wide);
  EXPECT_TRUE(IsLeftAligned(text));
  EXPECT_EQ(text->text(), wide);
  EXPECT_EQ(text->font(), skinned);

  popup.ShowHintText(2, QStringLiteral("RT Mode"), QStringLiteral("Rapid Trigger"));
  EXPECT_TRUE(IsCentred(text));
  EXPECT_EQ(text->font(), skinned);
}

TEST_F(RTModePopup, TextExactlyAsWideAsTheLabelIsCentred) {
  const QString caption = QStringLiteral("Rapid Trigger");
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(14);
  font.setBold(true);
  const int width = QFontMetrics(font).horizontalAdvance(caption);
  for (const int labelWidth : {width, width - 1}) {
    const std::string folder = Folder("RTModeHint" + std::to_string(labelWidth));
    WriteUiFile(folder, "[Default]\nlb_Text->Font->Size=14\nlb_Text->Position=rectp,0,104," +
                            std::to_string(labelWidth) + ",136\n");
    TformRTModeHintDialog popup(folder);
    popup.ShowHintText(1, QStringLiteral("RT Mode"), caption);
    EXPECT_EQ(IsCentred(popup.TextLabel()), labelWidth == width) << labelWidth;
    EXPECT_EQ(popup.TextLabel()->text(), caption);
    EXPECT_EQ(popup.TextLabel()->font().pointSize(), 14);
  }
}

TEST_F(RTModePopup, TitleIsNeverMeasured) {
  TformRTModeHintDialog popup(Folder("RTModeHint"));
  const QString title = QStringLiteral("A title much wider than the popup itself could ever show");
  popup.ShowHintText(1, title, QStringLiteral("Standard"));
  EXPECT_EQ(popup.lb_RTMode->text(), title);
  EXPECT_TRUE(IsCentred(popup.lb_RTMode));
}

TEST_F(RTModePopup, MarkerFollowsTheMode) {
  struct MarkerCase {
    uint32_t mode;
    bool hiddenBefore;
    bool hiddenAfter;
  };
  const MarkerCase cases[] = {
      {1, false, true}, {2, false, true}, {3, false, true},  {4, true, false},
      {5, true, false}, {7, true, true},  {7, false, false}, {0, false, false},
  };
  TformRTModeHintDialog popup(Folder("RTModeHint"));
  EXPECT_EQ(popup.lb_WASD->text(), QStringLiteral("WASD"));
  EXPECT_EQ(popup.lb_WASD->geometry(), QRect(0, 100, 239, 15));
  EXPECT_EQ(popup.lb_WASD->palette().color(QPalette::WindowText), QColor(Qt::red));
  for (const MarkerCase& c : cases) {
    popup.lb_WASD->setHidden(c.hiddenBefore);
    popup.ShowHintText(c.mode, QStringLiteral("RT Mode"), QStringLiteral("Standard"));
    EXPECT_EQ(popup.lb_WASD->isHidden(), c.hiddenAfter) << "mode " << c.mode;
    EXPECT_TRUE(popup.isVisible());
  }
}

}  // namespace
