#include "popups/win32/FORM_LTKeyHintDialog.h"

#include <optional>

#include "popups/fit_text.h"
#include "popups/text_size_setting.h"

namespace {

constexpr HintPopupConstants kLTKeyHint{u"formLTKeyHintDialog", u"lb_LTKey", "LTKeyHint",
                                        "LTKeyHint_Background.bmp", "LTKeyHint"};

}  // namespace

TformLTKeyHintDialog::TformLTKeyHintDialog(std::string dataFolder)
    : HintPopupFrame(kLTKeyHint, std::move(dataFolder)) {
  FormCreate();
  m_CreatedTextPointSize = lb_Text.pointSize;
}

void TformLTKeyHintDialog::ShowHintText(const std::u16string& title, const std::u16string& text) {
  m_TitleLabel.text = title;
  lb_Text.text = text;

  const std::optional<int32_t> size =
      UiFile() != nullptr
          ? ParseTextSizeSetting(UiFile()->ReadString(u"Default", u"lb_Text->Font->Size", u"@@"))
          : std::nullopt;
  lb_Text.pointSize = size ? static_cast<double>(*size) : m_CreatedTextPointSize;

  if (TextOverflowsLabel(lb_Text, Dpi())) {
    const int32_t labelWidth = lb_Text.bounds.right - lb_Text.bounds.left;
    lb_Text.alignment = LabelAlignment::Left;
    lb_Text.pointSize = kShortenedPointSize;
    // Measured in a regular-weight font of the label's face and size.
    const HFONT measuring = CreateLabelFont(lb_Text, Dpi(), /*regularWeight=*/true);
    lb_Text.text = FitTextToWidth(lb_Text.text, labelWidth, [measuring](std::u16string_view part) {
      return MeasureTextWidth(measuring, part);
    });
    DeleteObject(measuring);
  } else {
    lb_Text.alignment = LabelAlignment::Center;
  }
  ShowAgain(title, text);
}
