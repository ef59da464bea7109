#include "popups/win32/FORM_LTKeyHintDialog.h"

TformLTKeyHintDialog::TformLTKeyHintDialog(std::string dataFolder)
    : HintPopupFrame(kLTKeyHintConstants, std::move(dataFolder)) {
  FormCreate();
  m_CreatedTextPointSize = lb_Text.pointSize;
}

void TformLTKeyHintDialog::ShowHintText(const std::u16string& title, const std::u16string& text) {
  m_TitleLabel.text = title;
  ShowLTKeyText(TextLabelView(), text, LTKeyTextPointSize(UiFile(), m_CreatedTextPointSize));
  ShowAgain(title, text);
}
