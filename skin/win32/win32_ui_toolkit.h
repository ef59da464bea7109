// The property engine's toolkit on Win32. A skinned window draws its own
// elements: labels and images are records that the window paints, not
// child windows, so a popup is one window that never takes the focus. The
// window registers its elements in layout order under the kind names UI
// descriptions use ("TLabel", "TImage", "TTimer").
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/picture_scaling.h"
#include "skin/ui_rect.h"
#include "skin/ui_toolkit.h"

enum class LabelAlignment { Center, Left };

struct Win32Label {
  std::u16string name;
  Rect bounds;  // in the window's client area
  std::u16string text;
  std::u16string fontName = u"Tahoma";
  double pointSize = 9.0;
  UiFontStyle style;
  UiColor textColor = 0x000000;
  std::optional<UiColor> background;  // none: the window shows through
  LabelAlignment alignment = LabelAlignment::Center;
  bool visible = true;
};

struct Win32Image {
  std::u16string name;
  Rect bounds;
  Picture picture;  // opaque; drawn at the bounds' origin, unscaled
  // On: the bounds follow the picture's size when one is loaded.
  bool autoSize = true;
};

class Win32UiWindow : public UiWindow {
 public:
  Win32UiWindow(std::u16string name, HWND window);
  ~Win32UiWindow() override;

  void AddLabel(Win32Label& label);
  void AddImage(Win32Image& image);
  // An element without bounds, colour or font (a timer): named, not changed.
  void AddObject(std::u16string kindName, std::u16string elementName);

  std::u16string Name() const override { return m_Name; }
  WindowHandle NativeHandle() override { return reinterpret_cast<WindowHandle>(m_Window); }
  int32_t ElementCount() const override { return static_cast<int32_t>(m_Elements.size()); }
  UiElement* ElementAt(int32_t index) override;

 private:
  std::u16string m_Name;
  HWND m_Window;
  std::vector<std::unique_ptr<UiElement>> m_Elements;
};

// The label's font at `dpi`: its face, its point size turned into pixels,
// bold and the other styles. The caller deletes it.
HFONT CreateLabelFont(const Win32Label& label, uint32_t dpi);

// The advance width of `text` in `font`, in pixels.
int32_t MeasureTextWidth(HFONT font, std::u16string_view text);
// The height of the line `text` makes in `font`, in pixels: what DrawLabel
// centres vertically.
int32_t MeasureTextHeight(HFONT font, std::u16string_view text);

// Draws a visible label: its background where it has one, then its text on
// one line, vertically centred, with no prefix characters.
void DrawLabel(HDC dc, const Win32Label& label, uint32_t dpi);

// Draws an opaque picture with its top-left corner at (x, y).
void DrawPicture(HDC dc, const Picture& picture, int32_t x, int32_t y);

// 0x00BBGGRR is Windows' COLORREF already.
inline COLORREF ToColorRef(UiColor color) { return static_cast<COLORREF>(color & 0xFFFFFF); }
