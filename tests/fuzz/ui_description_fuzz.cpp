// Feeds arbitrary bytes as a UI.txt to the property engine, applied to a
// recording window that holds an element of every kind. The only exception
// that may escape is the conversion error of a malformed number; colours
// never have bits above 0x00FFFFFF; a style set is bold only; the position
// comes first and whole; and no kind is given a property that its row of the
// per-kind table does not name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "skin/Language_elementsproperty.h"
#include "tests/fuzz/memory_file.h"
#include "tests/skin/fake_ui_toolkit.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

using Properties = std::set<std::string_view>;

const Properties kPosition = {"left", "top", "width", "height"};

// What each kind may be given besides its position.
Properties Allowed(std::u16string_view kind) {
  const Properties labelLike = {"color", "font", "size", "fontcolor", "style"};
  if (kind == u"TLabel" || kind == u"TEdit" || kind == u"TCheckBox" || kind == u"THTMLabel" ||
      kind == u"TRadioButton" || kind == u"TRichEdit" || kind == u"TGradientLabel")
    return labelLike;
  if (kind == u"TButton" || kind == u"TMemo") return {"font", "size", "fontcolor", "style"};
  if (kind == u"TLabeledEdit")
    return {"color", "font", "caption.font", "caption.fontcolor", "caption.style"};
  if (kind == u"TAdvEdit") return {"editcolor", "font", "fontcolor"};
  return {};
}

// The LT-key popup's own elements, then one element of every kind under the
// same name (so that one key reaches them all), then kinds the engine
// passes over.
void Populate(RecordingWindow& window) {
  window.Add(u"TImage", u"im_BackgroundImage");
  window.Add(u"TLabel", u"lb_LTKey");
  for (std::u16string_view kind : KindsWithBounds()) window.Add(std::u16string(kind), u"lb_Text");
  window.Add(u"TTimer", u"lb_Text");
  window.Add(u"TDerivedLabel", u"lb_Text");
}

bool IsPositionKind(std::u16string_view kind) {
  for (std::u16string_view positionKind : KindsWithBounds()) {
    if (kind == positionKind) return true;
  }
  return false;
}

void CheckLog(const RecordingElement& element) {
  const std::u16string kind = element.KindName();
  if (!IsPositionKind(kind)) {
    Require(element.log.empty());
    return;
  }
  const Properties allowed = Allowed(kind);
  size_t i = 0;
  // The position comes first, as left, top, width, height together.
  if (!element.log.empty() && element.log[0].starts_with("left=")) {
    Require(element.log.size() >= 4);
    Require(element.log[1].starts_with("top=") && element.log[2].starts_with("width=") &&
            element.log[3].starts_with("height="));
    i = 4;
  }
  for (; i < element.log.size(); ++i) {
    const std::string& entry = element.log[i];
    const size_t equals = entry.find('=');
    Require(equals != std::string::npos);
    const std::string_view property = std::string_view(entry).substr(0, equals);
    const std::string_view value = std::string_view(entry).substr(equals + 1);
    Require(allowed.contains(property));
    if (property.ends_with("color")) Require(std::stoull(std::string(value)) <= 0x00FFFFFFu);
    if (property.ends_with("style")) Require(value == "B");
    if (property.ends_with("font")) Require(!value.empty());
  }
}

void Apply(const std::string& path, bool holdsNul, uint16_t languageId,
           std::u16string_view fontOverride, std::u16string_view sectionSuffix) {
  RecordingWindow window(u"formLTKeyHintDialog");
  Populate(window);
  TlanguageElementsProperty record;
  try {
    Require(ApplyUiDescription(record, window, path, languageId, fontOverride, sectionSuffix));
  } catch (const EConvertError& error) {
    // The message names the file first. It is a C string, so a NUL in the
    // value quoted cuts it short (as a message box would show it).
    const std::string_view message = error.what();
    Require(message.starts_with(path + ": ["));
    if (!holdsNul) Require(message.ends_with("' is not a valid integer value"));
  }
  for (int32_t i = 0; i < window.ElementCount(); ++i) {
    CheckLog(static_cast<const RecordingElement&>(*window.ElementAt(i)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile file;
  static const bool displaySet = [] {
    // A monitor at 1.5 times the design density, so every rectangle is scaled.
    SetDisplayStateSource([](WindowHandle) {
      DisplayState display;
      display.monitors = {{1, 144}};
      return display;
    });
    return true;
  }();
  (void)displaySet;

  file.Write(data, size);
  const bool holdsNul = std::memchr(data, 0, size) != nullptr;
  Apply(file.Path(), holdsNul, 1033, u"", u"");             // English, as the popups apply it
  Apply(file.Path(), holdsNul, 2052, u"Tahoma", u"_Dark");  // Simplified Chinese, override, suffix
  return 0;
}
