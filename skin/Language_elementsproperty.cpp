#include "skin/Language_elementsproperty.h"

#include <algorithm>
#include <array>
#include <limits>

#include "skin/Language_subroutines.h"
#include "skin/Ui_releaseelements.h"
#include "skin/Utils_splitstring.h"
#include "skin/int32_clamp.h"
#include "skin/text_helpers.h"

namespace {

constexpr std::u16string_view kDefaultSection = u"Default";

// The kinds whose bounds a description sets.
constexpr std::array<std::u16string_view, 29> kPositionKinds = {u"TLabel",
                                                                u"TCheckBox",
                                                                u"TRadioButton",
                                                                u"TEdit",
                                                                u"TComboBox",
                                                                u"TMemo",
                                                                u"TRichEdit",
                                                                u"TShape",
                                                                u"TButton",
                                                                u"TMenuItem",
                                                                u"TImage",
                                                                u"TPanel",
                                                                u"TWebBrowser",
                                                                u"TCGauge",
                                                                u"TLabeledEdit",
                                                                u"TGroupBox",
                                                                u"TAdvSmoothComboBox",
                                                                u"TAdvProgressBar",
                                                                u"TAdvSmoothScrollBar",
                                                                u"TAdvTrackBar",
                                                                u"TAdvGroupBox",
                                                                u"THTMLabel",
                                                                u"TAdvShapeButton",
                                                                u"TAdvWiiProgressBar",
                                                                u"TAdvEdit",
                                                                u"TMaskEditEx",
                                                                u"TAdvCircularProgress",
                                                                u"TCurvyPanel",
                                                                u"TGradientLabel"};

// Trimmed and lowered, with the tag (field 0) lowered again.
struct TaggedValue {
  std::u16string text;
  std::u16string tag;
};

TaggedValue SplitTag(std::u16string_view value) {
  TaggedValue tagged;
  tagged.text = AsciiLower(TrimControlAndBlanks(value));
  tagged.tag = AsciiLower(GetDelimitedField(tagged.text, u',', 0));
  return tagged;
}

int32_t IntegerField(const std::u16string& text, int32_t n) {
  return UiTextToInt(GetDelimitedField(text, u',', n));
}

// A value of the description together with where it was found, so that a
// value that does not convert can be reported with its file, section and key.
struct FoundValue {
  std::u16string section;
  std::u16string key;
  std::u16string value;
};

FoundValue FindUiValue(const TlanguageElementsProperty& record, std::u16string_view key) {
  FoundValue found;
  found.key = std::u16string(key);
  if (!record.m_Description) return found;
  for (const std::u16string* section : {&record.m_Section, &record.m_DefaultSection}) {
    found.value = record.m_Description->ReadString(*section, key, u"");
    if (!found.value.empty()) {
      found.section = *section;
      return found;
    }
  }
  return found;
}

// Runs `convert` on the found value. Its conversion error stays the error
// that ends the application of the description; only its text gains the
// file, the section, the key and the value, so that the report points at
// the line to mend.
template <typename Convert>
auto ConvertFound(const std::string& path, const FoundValue& found, Convert convert) {
  try {
    return convert(found.value);
  } catch (const EConvertError& error) {
    throw EConvertError(path + ": [" + Utf16ToUtf8(found.section) + "] " + Utf16ToUtf8(found.key) +
                        "=" + Utf16ToUtf8(found.value) + ": " + error.what());
  }
}

// One element's view of the description.
class ElementSteps {
 public:
  ElementSteps(const TlanguageElementsProperty& record, const std::string& path, UiWindow& window,
               UiElement& element, std::u16string_view fontOverride)
      : m_Record(record),
        m_Path(path),
        m_Window(window),
        m_Element(element),
        m_Override(fontOverride),
        m_Qualified(window.Name() + u"->" + element.ElementName()),
        m_ElementName(element.ElementName()) {}

  // The window-qualified key, then the element key.
  FoundValue BothKeys(std::u16string_view suffix) const {
    FoundValue found = Find(m_Qualified + std::u16string(suffix));
    if (found.value.empty()) found = Find(m_ElementName + std::u16string(suffix));
    return found;
  }

  // A global key, then (when allowed) the element key.
  std::u16string GlobalThenElement(std::u16string_view global, std::u16string_view suffix,
                                   bool elementKeyAllowed) const {
    std::u16string value = Lookup(global);
    if (value.empty() && elementKeyAllowed) value = Lookup(m_ElementName + std::u16string(suffix));
    return value;
  }

  void Position() {
    const FoundValue found = BothKeys(u"->Position");
    if (found.value.empty()) return;
    const WindowHandle handle = m_Window.NativeHandle();
    const Rect rect = ConvertFound(m_Path, found, [handle](const std::u16string& value) {
      return ParseUiRect(value, handle);
    });
    m_Element.SetLeft(rect.left);
    m_Element.SetTop(rect.top);
    m_Element.SetWidth(ClampToInt32(int64_t{rect.right} - rect.left));
    m_Element.SetHeight(ClampToInt32(int64_t{rect.bottom} - rect.top));
  }

  void Color() {
    const FoundValue found = BothKeys(u"->Color");
    if (!found.value.empty()) m_Element.SetColor(Colour(found));
  }

  void EditColor() {
    const FoundValue found = BothKeys(u"->Color");
    if (!found.value.empty()) m_Element.SetEditColor(Colour(found));
  }

  void FontName(bool overrideUsed, bool elementKeyAllowed) {
    if (overrideUsed && !m_Override.empty()) {
      m_Element.SetFontName(std::u16string(m_Override));
      return;
    }
    const std::u16string value = GlobalThenElement(u"FontName", u"->Font->Name", elementKeyAllowed);
    if (!value.empty()) m_Element.SetFontName(value);
  }

  // The edit's own font takes the override; "FontName" goes to the caption.
  void LabeledEditFontName() {
    if (!m_Override.empty()) {
      m_Element.SetFontName(std::u16string(m_Override));
      return;
    }
    const std::u16string value = Lookup(u"FontName");
    if (!value.empty()) m_Element.SetCaptionFontName(value);
  }

  void FontSize(std::u16string_view globalDefault = {}) {
    FoundValue found = BothKeys(u"->Font->Size");
    if (found.value.empty() && !globalDefault.empty()) found = Find(globalDefault);
    if (found.value.empty()) return;
    m_Element.SetFontSize(ConvertFound(
        m_Path, found, [](const std::u16string& value) { return UiTextToInt(value); }));
  }

  void FontColor(std::u16string_view globalDefault = {}) {
    FoundValue found = BothKeys(u"->Font->Color");
    if (found.value.empty() && !globalDefault.empty()) found = Find(globalDefault);
    if (!found.value.empty()) m_Element.SetFontColor(Colour(found));
  }

  void CaptionFontColor() {
    const FoundValue found = BothKeys(u"->Font->Color");
    if (!found.value.empty()) m_Element.SetCaptionFontColor(Colour(found));
  }

  // Only "1" makes the style bold; any other value leaves it unchanged.
  bool BoldWanted(bool elementKeyAllowed) const {
    return GlobalThenElement(u"FontStyleBold", u"->FontStyle->Bold", elementKeyAllowed) == u"1";
  }

  void Bold(bool elementKeyAllowed) {
    if (BoldWanted(elementKeyAllowed)) m_Element.SetFontStyle(BoldOnly());
  }

  void CaptionBold() {
    if (BoldWanted(false)) m_Element.SetCaptionFontStyle(BoldOnly());
  }

 private:
  static UiFontStyle BoldOnly() {
    UiFontStyle style;
    style.bold = true;
    return style;
  }

  UiColor Colour(const FoundValue& found) const {
    return ConvertFound(m_Path, found,
                        [](const std::u16string& value) { return ParseUiColor(value); });
  }

  FoundValue Find(std::u16string_view key) const { return FindUiValue(m_Record, key); }
  std::u16string Lookup(std::u16string_view key) const { return LookupUiValue(m_Record, key); }

  const TlanguageElementsProperty& m_Record;
  const std::string& m_Path;
  UiWindow& m_Window;
  UiElement& m_Element;
  std::u16string_view m_Override;
  std::u16string m_Qualified;
  std::u16string m_ElementName;
};

constexpr bool kOverride = true;
constexpr bool kNoOverride = false;
constexpr bool kElementKey = true;
constexpr bool kGlobalOnly = false;

void ApplyKindSteps(std::u16string_view kind, ElementSteps& steps) {
  if (kind == u"TLabel" || kind == u"TEdit") {
    steps.Color();
    steps.FontName(kOverride, kElementKey);
    steps.FontSize();
    steps.FontColor();
    steps.Bold(kElementKey);
  } else if (kind == u"TCheckBox" || kind == u"THTMLabel") {
    steps.Color();
    steps.FontName(kOverride, kElementKey);
    steps.Bold(kElementKey);
    steps.FontSize();
    steps.FontColor();
  } else if (kind == u"TRadioButton" || kind == u"TRichEdit") {
    steps.Color();
    steps.FontName(kOverride, kGlobalOnly);
    steps.Bold(kGlobalOnly);
    steps.FontSize();
    steps.FontColor();
  } else if (kind == u"TButton") {
    steps.FontName(kOverride, kElementKey);
    steps.Bold(kElementKey);
    steps.FontSize();
    steps.FontColor();
  } else if (kind == u"TGradientLabel") {
    steps.Color();
    steps.FontName(kNoOverride, kElementKey);
    steps.FontSize();
    steps.FontColor();
    steps.Bold(kElementKey);
  } else if (kind == u"TMemo") {
    steps.FontName(kNoOverride, kElementKey);
    steps.Bold(kElementKey);
    steps.FontSize(u"DefaultFontSize");
    steps.FontColor(u"DefaultFontColor");
  } else if (kind == u"TLabeledEdit") {
    steps.Color();
    steps.LabeledEditFontName();
    steps.CaptionFontColor();
    steps.CaptionBold();
  } else if (kind == u"TAdvEdit") {
    steps.EditColor();
    steps.FontName(kOverride, kGlobalOnly);
    steps.FontColor();
  }
  // Panels, group boxes and every other kind: nothing beyond the position.
}

bool IsPositionKind(std::u16string_view kind) {
  return std::find(kPositionKinds.begin(), kPositionKinds.end(), kind) != kPositionKinds.end();
}

}  // namespace

std::span<const std::u16string_view> KindsWithBounds() { return kPositionKinds; }

TlanguageElementsProperty::TlanguageElementsProperty() : m_DefaultSection(kDefaultSection) {}

TlanguageElementsProperty::~TlanguageElementsProperty() { ReleaseUiDescription(m_Description); }

bool ApplyUiDescription(TlanguageElementsProperty& record, UiWindow& window,
                        const std::string& path, uint16_t languageId,
                        std::u16string_view fontOverride, std::u16string_view sectionSuffix) {
  // Read before anything changes, so that a missing file leaves the record
  // as it was.
  std::unique_ptr<UiDescription> description = UiDescription::LoadFile(path);
  if (!description) return false;

  ReleaseUiDescription(record.m_Description);
  record.m_Description = std::move(description);
  record.m_Section = GetLanguageNameById(languageId);
  record.m_DefaultSection = std::u16string(kDefaultSection);
  if (!sectionSuffix.empty()) {
    record.m_Section += sectionSuffix;
    record.m_DefaultSection += sectionSuffix;
  }

  // The count is read afresh for every element.
  for (int32_t i = 0; i < window.ElementCount(); ++i) {
    UiElement* element = window.ElementAt(i);
    if (element == nullptr) continue;
    const std::u16string kind = element->KindName();
    ElementSteps steps(record, path, window, *element, fontOverride);
    if (IsPositionKind(kind)) steps.Position();
    ApplyKindSteps(kind, steps);
  }
  return true;
}

std::u16string LookupUiValue(const TlanguageElementsProperty& record, std::u16string_view key) {
  return FindUiValue(record, key).value;
}

UiColor ParseUiColor(std::u16string_view value) {
  const TaggedValue tagged = SplitTag(value);
  if (tagged.tag != u"rgb") return 0;
  const int32_t red = IntegerField(tagged.text, 1);
  const int32_t green = IntegerField(tagged.text, 2);
  const int32_t blue = IntegerField(tagged.text, 3);
  return (static_cast<UiColor>(red) & 0xFF) | ((static_cast<UiColor>(green) & 0xFF) << 8) |
         ((static_cast<UiColor>(blue) & 0xFF) << 16);
}

Rect ParseUiRectUnscaled(std::u16string_view value) {
  const TaggedValue tagged = SplitTag(value);
  Rect rect;
  if (tagged.tag == u"rectp") {
    rect.left = IntegerField(tagged.text, 1);
    rect.top = IntegerField(tagged.text, 2);
    rect.right = IntegerField(tagged.text, 3);
    rect.bottom = IntegerField(tagged.text, 4);
  } else if (tagged.tag == u"rectwh") {
    rect.left = IntegerField(tagged.text, 1);
    rect.top = IntegerField(tagged.text, 2);
    // Width and height written here come out one pixel smaller: the edges
    // are the last pixel inside, not the first one outside.
    rect.right = ClampToInt32(int64_t{IntegerField(tagged.text, 3)} + rect.left - 1);
    rect.bottom = ClampToInt32(int64_t{IntegerField(tagged.text, 4)} + rect.top - 1);
  }
  return rect;
}

Rect ParseUiRect(std::u16string_view value, const DisplayState& display, WindowHandle window) {
  return ScaleRectForWindow(display, window, ParseUiRectUnscaled(value));
}

Rect ParseUiRect(std::u16string_view value, WindowHandle window) {
  const Rect rect = ParseUiRectUnscaled(value);
  return ScaleRectForWindow(CurrentDisplayState(window), window, rect);
}
