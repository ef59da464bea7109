#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <string>

#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/label_text_metrics.h"
#include "tests/popups/popup_fixture.h"

namespace {

constexpr int kConfiguredSize = 14;

int BoldTahomaWidth(const QString& text, int points) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(points);
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(text);
}

bool IsLeftAligned(const QLabel* label) {
  return (label->alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignLeft;
}
bool IsCentred(const QLabel* label) {
  return (label->alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter;
}

// A shortened text is the longest scanned prefix that fits the label's
// width together with its "...", measured in the label's font.
void ExpectLongestFittingPrefix(const QLabel& label, const QString& original,
                                const QString& shown) {
  ASSERT_TRUE(shown.endsWith(QStringLiteral("...")));
  const QString prefix = shown.chopped(3);
  ASSERT_TRUE(original.startsWith(prefix));
  ASSERT_LT(prefix.size(), original.size());
  const int limit = label.width();
  const int shownWidth = LabelTextWidth(label, shown);
  EXPECT_LE(shownWidth, limit);
  if (shownWidth < limit) {
    EXPECT_GT(LabelTextWidth(label, original.left(prefix.size() + 1) + QStringLiteral("...")),
              limit);
  }
}

class LTKeyPopup : public PopupTest {
 protected:
  // A UI description whose lb_Text is `labelWidth` pixels wide, with the
  // configured text size.
  std::string FolderWithTextLabelWidth(int labelWidth) {
    const std::string folder = Folder("LTKeyHint");
    WriteUiFile(folder, "[Default]\nlb_Text->Font->Size=" + std::to_string(kConfiguredSize) +
                            "\nformLTKeyHintDialog->lb_Text->Position=rectp,0,104," +
                            std::to_string(labelWidth) + ",136\n");
    return folder;
  }
};

TEST_F(LTKeyPopup, TextExactlyAsWideAsTheLabelIsCentredAndOnePixelMoreIsShortened) {
  const QString text = QStringLiteral("Rapid Trigger Pro");
  const int width = BoldTahomaWidth(text, kConfiguredSize);
  ASSERT_GT(width, 10);

  TformLTKeyHintDialog fits(FolderWithTextLabelWidth(width));
  ASSERT_EQ(fits.TextLabel()->width(), width);
  fits.ShowHintText(QStringLiteral("LT Key"), text);
  EXPECT_EQ(fits.TextLabel()->text(), text);
  EXPECT_TRUE(IsCentred(fits.TextLabel()));
  EXPECT_EQ(fits.TextLabel()->font().pointSize(), kConfiguredSize);

  TformLTKeyHintDialog tooWide(FolderWithTextLabelWidth(width - 1));
  tooWide.ShowHintText(QStringLiteral("LT Key"), text);
  const QLabel& label = *tooWide.TextLabel();
  EXPECT_TRUE(IsLeftAligned(&label));
  // Larger, up to 40 points, as far as a line of it fits the label's height.
  const int points = label.font().pointSize();
  EXPECT_GT(points, kConfiguredSize);
  EXPECT_LE(points, hint_popup_layout::kShortenedPointSize);
  EXPECT_LE(LabelLineHeight(label, text), label.height());
  QFont larger = label.font();
  larger.setPointSize(points + 1);
  QLabel probe;
  probe.setFont(larger);
  EXPECT_GT(LabelLineHeight(probe, text), label.height());
  ExpectLongestFittingPrefix(label, text, label.text());
  EXPECT_TRUE(tooWide.isVisible());
}

TEST_F(LTKeyPopup, ShortTextAfterAShortenedOneIsCentredAtTheConfiguredSize) {
  TformLTKeyHintDialog popup(FolderWithTextLabelWidth(247));
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("A text far too long for the popup"));
  ASSERT_GT(popup.TextLabel()->font().pointSize(), kConfiguredSize);

  for (const QString& text : {QStringLiteral("LT 1"), QString()}) {
    popup.ShowHintText(QStringLiteral("LT Key"), text);
    EXPECT_EQ(popup.TextLabel()->text(), text);
    EXPECT_TRUE(IsCentred(popup.TextLabel()));
    EXPECT_EQ(popup.TextLabel()->font().pointSize(), kConfiguredSize);
  }
}

TEST_F(LTKeyPopup, TitleIsNeverShortened) {
  TformLTKeyHintDialog popup(FolderWithTextLabelWidth(247));
  const QString title = QStringLiteral("A title much wider than the popup itself could ever show");
  popup.ShowHintText(title, QStringLiteral("CPI 800"));
  EXPECT_EQ(popup.lb_LTKey->text(), title);
  EXPECT_TRUE(IsCentred(popup.lb_LTKey));
}

struct NoSizeCase {
  const char* name;
  const char* uiFile;  // nullptr: no UI.txt at all
  double expectedPoints;
};

class LTKeyPopupWithoutSize : public LTKeyPopup, public testing::WithParamInterface<NoSizeCase> {};

// Without a whole number under Default/lb_Text->Font->Size the text keeps
// the size the popup was skinned with, and the notification still shows,
// also after a shortened text switched to 40 points.
TEST_P(LTKeyPopupWithoutSize, KeepsTheSkinnedSizeAndStillShows) {
  const std::string folder = Folder("LTKeyHint");
  if (GetParam().uiFile != nullptr) WriteUiFile(folder, GetParam().uiFile);
  TformLTKeyHintDialog popup(folder);

  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  EXPECT_TRUE(popup.isVisible());
  EXPECT_DOUBLE_EQ(popup.TextLabel()->font().pointSizeF(), GetParam().expectedPoints);

  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("A text far too long for the popup"));
  EXPECT_GT(popup.TextLabel()->font().pointSizeF(), GetParam().expectedPoints);
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 2"));
  EXPECT_TRUE(popup.isVisible());
  EXPECT_TRUE(IsCentred(popup.TextLabel()));
  EXPECT_DOUBLE_EQ(popup.TextLabel()->font().pointSizeF(), GetParam().expectedPoints);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, LTKeyPopupWithoutSize,
    testing::Values(NoSizeCase{"NoUiFile", nullptr, hint_popup_layout::kLabelPointSize},
                    NoSizeCase{"NoSizeKey", "[Default]\nlb_Text->Font->Color=rgb,255,255,255\n",
                               hint_popup_layout::kLabelPointSize},
                    // The engine applied the language section's size at creation;
                    // the show reads "Default" only.
                    NoSizeCase{"SizeOnlyInTheLanguageSection",
                               "[English]\nlb_Text->Font->Size=18\n", 18.0},
                    NoSizeCase{"SizeZero", "[Default]\nlb_Text->Font->Size=0\n",
                               hint_popup_layout::kLabelPointSize}),
    [](const testing::TestParamInfo<NoSizeCase>& info) { return info.param.name; });

TEST_F(LTKeyPopup, SizeIsReadFromTheCopyLoadedAtCreation) {
  const std::string folder = FolderWithTextLabelWidth(247);
  TformLTKeyHintDialog popup(folder);
  WriteUiFile(folder, "[Default]\nlb_Text->Font->Size=30\n");
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  EXPECT_EQ(popup.TextLabel()->font().pointSize(), kConfiguredSize);
}

TEST_F(LTKeyPopup, FitTextToWidthMeasuresInTheLabelsOwnFont) {
  QLabel label;
  label.resize(247, 32);
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(40);
  font.setBold(true);
  label.setFont(font);

  const QString longText = QStringLiteral("Rapid Trigger Pro");
  ExpectLongestFittingPrefix(label, longText, FitTextToWidth(label, longText));

  const QString shortText = QStringLiteral("LT 1");
  ASSERT_LE(LabelTextWidth(label, shortText), 247);
  EXPECT_EQ(FitTextToWidth(label, shortText), shortText);

  // Not even "..." fits a narrow label: as many dots as do.
  label.resize(5, 32);
  const QString dots = FitTextToWidth(label, QStringLiteral("W"));
  EXPECT_TRUE(QStringLiteral("...").startsWith(dots));
  EXPECT_LE(LabelTextWidth(label, dots), 5);
}

}  // namespace
