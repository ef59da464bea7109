// The UI element property engine: re-skins a window from its UI description
// (UI.txt), overriding element by element the position, background colour
// and font that the window's layout gave.
//
// Values are looked up in the language section first and in "Default" when
// the language section has no entry or an empty one. Element values use two
// keys, the window-qualified one ("formX->lb_Text->Position") before the
// element key ("lb_Text->Position"); the global keys "FontName" and
// "FontStyleBold" win over element keys.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "skin/Utils_logpixels.h"
#include "skin/ui_description.h"
#include "skin/ui_integer.h"
#include "skin/ui_rect.h"
#include "skin/ui_toolkit.h"

// The state of one application of a description to one window.
class TlanguageElementsProperty {
 public:
  TlanguageElementsProperty();
  ~TlanguageElementsProperty();
  TlanguageElementsProperty(const TlanguageElementsProperty&) = delete;
  TlanguageElementsProperty& operator=(const TlanguageElementsProperty&) = delete;

  std::unique_ptr<UiDescription> m_Description;
  std::u16string m_Section;
  std::u16string m_DefaultSection;
};

// Applies the description at `path` to every element of `window`. False,
// with neither the window nor the record changed, when no description can
// be read at `path`. `languageId` 0 is the system's default language. A
// non-empty `fontOverride` replaces the face name for most kinds; a
// non-empty `sectionSuffix` is appended to both section names ("_Dark":
// "English_Dark", "Default_Dark").
//
// A record applied a second time starts afresh: the earlier description is
// closed and the sections are named from scratch, so a suffix is never
// appended twice.
//
// An integer field that is no integer throws EConvertError at once:
// elements handled before keep their new values, the failing element keeps
// what its earlier steps set, later elements are not touched, and the record
// keeps the open description. The error's text names the file, the section,
// the key and the value:
//   <path>: [Default] lb_Text->Font->Size=14pt: '14pt' is not a valid integer value
bool ApplyUiDescription(TlanguageElementsProperty& record, UiWindow& window,
                        const std::string& path, uint16_t languageId,
                        std::u16string_view fontOverride, std::u16string_view sectionSuffix);

// The kinds whose bounds a description sets ("TLabel", "TImage", ...).
std::span<const std::u16string_view> KindsWithBounds();

// The value of `key` in the language section, else in the default section;
// empty when neither has a non-empty one or no description is open.
std::u16string LookupUiValue(const TlanguageElementsProperty& record, std::u16string_view key);

// "rgb,R,G,B" (tag in any letter case, blanks around fields ignored) as
// 0x00BBGGRR, of each number the low 8 bits. Any other tag gives 0 (black).
// A missing or malformed number throws EConvertError.
UiColor ParseUiColor(std::u16string_view value);

// "rectp,left,top,right,bottom" or "rectwh,left,top,width,height" (whose
// right and bottom are left + width - 1 and top + height - 1), scaled for
// the window's monitor. Any other tag gives (0, 0, 0, 0). A missing or
// malformed number throws EConvertError.
Rect ParseUiRect(std::u16string_view value, WindowHandle window);
Rect ParseUiRect(std::u16string_view value, const DisplayState& display, WindowHandle window);

// The unscaled rectangle that a position value writes.
Rect ParseUiRectUnscaled(std::u16string_view value);
