#include "popups/qt/FORM_LTKeyHintDialog.h"

#include <QFont>
#include <QLabel>

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
  return QString::fromStdU16String(
      FitTextToWidth(text.toStdU16String(), label.width(), RegularWeightMeasure(label)));
}
