#include "popups/qt/FORM_LTKeyHintDialog.h"

#include <QFont>
#include <QLabel>

#include "popups/qt/label_text_metrics.h"

TformLTKeyHintDialog::TformLTKeyHintDialog(std::string dataFolder)
    : HintPopupFrame(kLTKeyHintConstants, std::move(dataFolder)), lb_LTKey(TitleLabel()) {
  FormCreate();
  m_CreatedTextPointSizeF = lb_Text->font().pointSizeF();
}

void TformLTKeyHintDialog::ShowHintText(const QString& title, const QString& text) {
  lb_LTKey->setText(title);
  ShowLTKeyText(TextLabelView(), text.toStdU16String(),
                LTKeyTextPointSize(UiFile(), m_CreatedTextPointSizeF));
  ShowAgain(title, text);
}

QString FitTextToWidth(const QLabel& label, const QString& text) {
  const TextWidthMeasure measure = [&label](std::u16string_view part) {
    return LabelTextWidth(label,
                          QString::fromUtf16(part.data(), static_cast<qsizetype>(part.size())));
  };
  return QString::fromStdU16String(FitTextToWidth(text.toStdU16String(), label.width(), measure));
}
