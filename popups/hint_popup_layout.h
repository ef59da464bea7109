// The notification popups' layout and text rules, apart from any window
// toolkit: what the two popups are called and where their files lie, the
// rectangles of their elements, their labels' fonts, their size once
// skinned, and how a shown text is sized, aligned and shortened. The Qt and
// the Win32 popup frames draw what this decides.
//
// Layout values are designed at 96 pixels per inch; the rectangles are
// scaled by the monitor's factor at creation, label fonts are sized in
// points, which the toolkit turns into pixels at the monitor's density.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "popups/fit_text.h"
#include "popups/popup_trace.h"
#include "skin/ui_rect.h"
#include "skin/ui_toolkit.h"

class UiDescription;

// What tells the two popups apart.
struct HintPopupConstants {
  const char16_t* formName;        // the layout name UI descriptions use
  const char16_t* titleLabelName;  // "lb_LTKey", "lb_RTMode"
  const char* dataFolderName;      // the popup's folder inside Data/
  const char* backgroundFileName;  // asked for as .bmp, found as .png first
  const char* traceName;           // the popup's name in trace lines
};

inline constexpr HintPopupConstants kLTKeyHintConstants{
    u"formLTKeyHintDialog", u"lb_LTKey", "LTKeyHint", "LTKeyHint_Background.bmp", "LTKeyHint"};
inline constexpr HintPopupConstants kRTModeHintConstants{
    u"formRTModeHintDialog", u"lb_RTMode", "RTModeHint", "RTModeHint_Background.bmp", "RTModeHint"};

// The popup's data folder, ending with '/': `dataFolder` when one is given
// (tests use their own), otherwise Data/<dataFolderName>/ in
// `executableFolder` (which ends with '/').
std::string HintPopupDataFolder(const HintPopupConstants& constants,
                                const std::string& executableFolder, std::string dataFolder);

// The language the popups' resources are looked up in: id 1033 whatever
// language the menu shows. Its decimal text, "1033", is the language
// folder's name; FindLocalizedFile falls back to "English" where no "1033"
// folder exists.
struct HintPopupLanguage {
  uint16_t id = 0;
  std::u16string name;
};
HintPopupLanguage PopupResourceLanguage();

namespace hint_popup_layout {

inline constexpr int32_t kWidth = 247;
inline constexpr int32_t kHeight = 136;
inline constexpr int32_t kHideAfterMs = 2000;

// Left, top, right, bottom at 96 dpi.
inline constexpr Rect kClient{0, 0, kWidth, kHeight};  // also the background image's
inline constexpr Rect kTitleLabel{0, 74, 247, 74 + 32};
inline constexpr Rect kTextLabel{0, 104, 247, 104 + 32};
inline constexpr Rect kMarkerLabel{0, 100, 239, 100 + 15};  // the RT-mode popup's lb_WASD

// Title and text: bold Tahoma of a 19-pixel character height at 96 dpi.
inline constexpr std::u16string_view kLabelFace = u"Tahoma";
inline constexpr double kLabelPointSize = 19.0 * 72.0 / 96.0;
// An LT-key text too wide for its label is shortened at this size, or
// smaller where a line of it would not fit the label's height.
inline constexpr int32_t kShortenedPointSize = 40;

// The RT-mode popup's red "WASD" marker, of a 12-pixel character height.
inline constexpr std::u16string_view kMarkerText = u"WASD";
inline constexpr std::u16string_view kMarkerFace = u"Segoe UI";
inline constexpr double kMarkerPointSize = 12.0 * 72.0 / 96.0;
inline constexpr UiColor kMarkerColor = 0x0000FF;  // red, as 0xBBGGRR

}  // namespace hint_popup_layout

// The layout's rectangles scaled for a monitor (1.0 at 96 dpi).
struct HintPopupGeometry {
  Rect client;
  Rect titleLabel;
  Rect textLabel;
  Rect markerLabel;
};
HintPopupGeometry ScaledHintPopupGeometry(float factor);

struct PopupSize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PopupSize&, const PopupSize&) = default;
};

// The popup's size once skinned: the scaled picture's where a background
// picture was loaded (its bounds as the image element got them), the
// scaled layout's otherwise.
PopupSize SkinnedPopupSize(const Rect& scaledClient, const std::optional<Rect>& loadedBackground);

// The RT-mode marker for a mode: shown for 4 and 5, hidden for 1 to 3, and
// left as it is (nullopt) for any other mode.
std::optional<bool> MarkerVisibleForMode(uint32_t mode);

// The LT-key text's point size at a show: the whole number under
// Default/lb_Text->Font->Size of the popup's UI description, or
// `skinnedPointSize` (the size the label had once skinned) where there is no
// description or no usable number there.
double LTKeyTextPointSize(const UiDescription* uiFile, double skinnedPointSize);

// A popup's text label as the show rules see it: the toolkit measures,
// sets and draws.
class HintTextLabel {
 public:
  virtual ~HintTextLabel() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // The width of `text` in the label's font as it is now (face, weight and
  // point size): the font it is drawn with.
  virtual int32_t TextWidth(std::u16string_view text) const = 0;
  // The height of the line `text` makes in that font, with the faces that
  // draw the characters the label's face lacks (Chinese).
  virtual int32_t LineHeight(std::u16string_view text) const = 0;
  virtual void SetText(std::u16string text) = 0;
  virtual void SetPointSize(double points) = 0;
  virtual void SetAlignment(PopupTextAlignment alignment) = 0;
  // "iTextWidth=N" and "lb_Text->Width=N", for a debugger.
  virtual void WriteDiagnostic(const char* name, int32_t value) const = 0;
};

// The LT-key popup's text, shown in `label`: at `pointSize`, centred where
// it fits the label's width (exactly as wide fits), otherwise left-aligned
// and shortened by FitTextToWidth at kShortenedPointSize, or at the largest
// whole size below it whose line fits the label's height, but never smaller
// than `pointSize`.
void ShowLTKeyText(HintTextLabel& label, std::u16string_view text, double pointSize);

// The RT-mode popup's text: centred where it fits, left-aligned otherwise;
// neither its size nor the text itself change.
void ShowRTModeText(HintTextLabel& label, std::u16string_view text);

// `text` shortened with "..." to the label's width (see fit_text.h),
// measured in the font the label draws it with.
std::u16string FitTextToWidth(const HintTextLabel& label, std::u16string_view text);
