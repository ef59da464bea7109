#include "popups/qt/FORM_LTKeyHintDialog.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <optional>

#include "popups/fit_text.h"
#include "popups/qt/popup_log.h"
#include "popups/text_size_setting.h"

namespace {

constexpr HintPopupConstants kLTKeyHint{"formLTKeyHintDialog", "lb_LTKey", "LTKeyHint",
                                        "LTKeyHint_Background.bmp", "LTKeyHint"};

void SetPointSize(QLabel* label, double points) {
  QFont font = label->font();
  font.setPointSizeF(points);
  label->setFont(font);
}

}  // namespace

TformLTKeyHintDialog::TformLTKeyHintDialog(std::string dataFolder)
    : HintPopupFrame(kLTKeyHint, std::move(dataFolder)), lb_LTKey(TitleLabel()) {
  FormCreate();
  m_CreatedTextPointSizeF = lb_Text->font().pointSizeF();
}

void TformLTKeyHintDialog::ShowHintText(const QString& title, const QString& text) {
  lb_LTKey->setText(title);
  lb_Text->setText(text);

  const std::optional<int32_t> size =
      UiFile() != nullptr
          ? ParseTextSizeSetting(UiFile()->ReadString(u"Default", u"lb_Text->Font->Size", u"@@"))
          : std::nullopt;
  SetPointSize(lb_Text, size ? static_cast<double>(*size) : m_CreatedTextPointSizeF);

  const int textWidth = lb_Text->fontMetrics().horizontalAdvance(text);
  qCDebug(lcPopup, "iTextWidth=%i", textWidth);
  qCDebug(lcPopup, "lb_Text->Width=%i", lb_Text->width());

  if (lb_Text->width() < textWidth) {
    lb_Text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetPointSize(lb_Text, kShortenedPointSize);
    lb_Text->setText(FitTextToWidth(*lb_Text, lb_Text->text()));
  } else {
    lb_Text->setAlignment(Qt::AlignCenter);
  }
  ShowAgain(title, text);
}

QString FitTextToWidth(const QLabel& label, const QString& text) {
  QFont measuring(label.font().family());
  measuring.setPointSizeF(label.font().pointSizeF());
  const QFontMetrics metrics(measuring);
  const TextWidthMeasure measure = [&metrics](std::u16string_view part) {
    return static_cast<int32_t>(metrics.horizontalAdvance(
        QString::fromUtf16(part.data(), static_cast<qsizetype>(part.size()))));
  };
  return QString::fromStdU16String(FitTextToWidth(text.toStdU16String(), label.width(), measure));
}
