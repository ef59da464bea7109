#include "popups/hint_popup_layout.h"

#include <algorithm>

#include "popups/text_size_setting.h"
#include "skin/Language_subroutines.h"
#include "skin/Utils_logpixels.h"
#include "skin/text_helpers.h"
#include "skin/ui_description.h"

std::string HintPopupDataFolder(const HintPopupConstants& constants,
                                const std::string& executableFolder, std::string dataFolder) {
  if (!dataFolder.empty()) return dataFolder;
  return executableFolder + "Data/" + constants.dataFolderName + "/";
}

HintPopupLanguage PopupResourceLanguage() {
  HintPopupLanguage language;
  language.id = GetLanguageId(u"");
  language.name = GetLanguageName(UInt16ToText(language.id));
  return language;
}

HintPopupGeometry ScaledHintPopupGeometry(float factor) {
  namespace layout = hint_popup_layout;
  return HintPopupGeometry{
      ScaleRectByFactor(layout::kClient, factor),
      ScaleRectByFactor(layout::kTitleLabel, factor),
      ScaleRectByFactor(layout::kTextLabel, factor),
      ScaleRectByFactor(layout::kMarkerLabel, factor),
  };
}

PopupSize SkinnedPopupSize(const Rect& scaledClient, const std::optional<Rect>& loadedBackground) {
  const Rect& bounds = loadedBackground ? *loadedBackground : scaledClient;
  return PopupSize{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::optional<bool> MarkerVisibleForMode(uint32_t mode) {
  if (mode >= 1 && mode <= 3) return false;
  if (mode == 4 || mode == 5) return true;
  return std::nullopt;
}

double LTKeyTextPointSize(const UiDescription* uiFile, double skinnedPointSize) {
  if (uiFile == nullptr) return skinnedPointSize;
  const std::optional<int32_t> size =
      ParseTextSizeSetting(uiFile->ReadString(u"Default", u"lb_Text->Font->Size", u"@@"));
  return size ? static_cast<double>(*size) : skinnedPointSize;
}

namespace {

// Measures `text` in the label's font and writes both widths for a
// debugger; a text exactly as wide as the label fits.
bool Overflows(const HintTextLabel& label, std::u16string_view text) {
  const int32_t textWidth = label.TextWidth(text);
  const int32_t labelWidth = label.Width();
  label.WriteDiagnostic("iTextWidth", textWidth);
  label.WriteDiagnostic("lb_Text->Width", labelWidth);
  return labelWidth < textWidth;
}

// A shortened text's size: kShortenedPointSize where a line of `text` at
// that size fits the label's height, else the largest whole size below it
// that does, down to `shownAt` (a text is never made smaller to be
// shortened; kShortenedPointSize is the floor for a larger `shownAt`).
void SetShortenedPointSize(HintTextLabel& label, std::u16string_view text, double shownAt) {
  const double floor = std::min<double>(shownAt, hint_popup_layout::kShortenedPointSize);
  for (int32_t points = hint_popup_layout::kShortenedPointSize; points > floor; --points) {
    label.SetPointSize(points);
    if (label.LineHeight(text) <= label.Height()) return;
  }
  label.SetPointSize(floor);
}

}  // namespace

void ShowLTKeyText(HintTextLabel& label, std::u16string_view text, double pointSize) {
  label.SetText(std::u16string(text));
  // Set at every show, as is the alignment: nothing of a shortened text
  // carries over to the next one.
  label.SetPointSize(pointSize);
  if (Overflows(label, text)) {
    label.SetAlignment(PopupTextAlignment::Left);
    SetShortenedPointSize(label, text, pointSize);
    label.SetText(FitTextToWidth(label, text));
  } else {
    label.SetAlignment(PopupTextAlignment::Center);
  }
}

void ShowRTModeText(HintTextLabel& label, std::u16string_view text) {
  label.SetText(std::u16string(text));
  label.SetAlignment(Overflows(label, text) ? PopupTextAlignment::Left
                                            : PopupTextAlignment::Center);
}

std::u16string FitTextToWidth(const HintTextLabel& label, std::u16string_view text) {
  return FitTextToWidth(text, label.Width(),
                        [&label](std::u16string_view part) { return label.TextWidth(part); });
}
