// What the UI property engine needs of a window toolkit, and nothing more.
// Elements are known by their kind name ("TLabel", "TPanel", ...), their
// element name and the name of their window; the adapter decides which real
// widgets stand behind the kinds.
#pragma once

#include <cstdint>
#include <string>

#include "skin/Utils_logpixels.h"

// 0x00BBGGRR: red in the low byte.
using UiColor = uint32_t;

struct UiFontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  friend bool operator==(const UiFontStyle&, const UiFontStyle&) = default;
};

// Setters that a kind does not have are left as the no-ops below. Bounds are
// relative to the element's parent.
class UiElement {
 public:
  virtual ~UiElement() = default;

  // Compared with letter case and without regard to any kind hierarchy.
  virtual std::u16string KindName() const = 0;
  virtual std::u16string ElementName() const = 0;

  virtual void SetLeft(int32_t) {}
  virtual void SetTop(int32_t) {}
  virtual void SetWidth(int32_t) {}
  virtual void SetHeight(int32_t) {}

  virtual void SetColor(UiColor) {}

  virtual void SetFontName(const std::u16string&) {}
  virtual void SetFontSize(int32_t) {}
  virtual void SetFontColor(UiColor) {}
  virtual void SetFontStyle(UiFontStyle) {}

  // The caption label of an edit with a caption (TLabeledEdit).
  virtual void SetCaptionFontName(const std::u16string&) {}
  virtual void SetCaptionFontColor(UiColor) {}
  virtual void SetCaptionFontStyle(UiFontStyle) {}

  // The edit's own colour property, where it is not the background colour
  // (TAdvEdit).
  virtual void SetEditColor(UiColor) {}
};

class UiWindow {
 public:
  virtual ~UiWindow() = default;

  // The window's own layout name, e.g. "formLTKeyHintDialog".
  virtual std::u16string Name() const = 0;
  // Creates the native window first if it has none yet.
  virtual WindowHandle NativeHandle() = 0;
  // Every element the window owns, nested ones included, in layout order.
  virtual int32_t ElementCount() const = 0;
  virtual UiElement* ElementAt(int32_t index) = 0;
};
