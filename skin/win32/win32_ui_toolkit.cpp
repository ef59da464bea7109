#include "skin/win32/win32_ui_toolkit.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/wide_text.h"

namespace {

class NamedElement : public UiElement {
 public:
  NamedElement(std::u16string kindName, std::u16string elementName)
      : m_KindName(std::move(kindName)), m_ElementName(std::move(elementName)) {}
  std::u16string KindName() const override { return m_KindName; }
  std::u16string ElementName() const override { return m_ElementName; }

 private:
  std::u16string m_KindName;
  std::u16string m_ElementName;
};

// Bounds that keep their size when moved; a negative size is taken as 0,
// as the layouts do.
void MoveLeft(Rect& bounds, int32_t left) {
  bounds.right = left + (bounds.right - bounds.left);
  bounds.left = left;
}
void MoveTop(Rect& bounds, int32_t top) {
  bounds.bottom = top + (bounds.bottom - bounds.top);
  bounds.top = top;
}
void Resize(int32_t start, int32_t& end, int32_t size) { end = start + std::max(size, 0); }

// An element with bounds: a label or an image.
template <typename Record>
class BoundedElement : public NamedElement {
 public:
  BoundedElement(std::u16string kindName, Record& record)
      : NamedElement(std::move(kindName), record.name), m_Record(record) {}

  void SetLeft(int32_t left) override { MoveLeft(m_Record.bounds, left); }
  void SetTop(int32_t top) override { MoveTop(m_Record.bounds, top); }
  void SetWidth(int32_t width) override {
    Resize(m_Record.bounds.left, m_Record.bounds.right, width);
  }
  void SetHeight(int32_t height) override {
    Resize(m_Record.bounds.top, m_Record.bounds.bottom, height);
  }

 protected:
  Record& m_Record;
};

class LabelElement : public BoundedElement<Win32Label> {
 public:
  explicit LabelElement(Win32Label& label) : BoundedElement(u"TLabel", label) {}

  void SetColor(UiColor color) override { m_Record.background = color; }
  void SetFontName(const std::u16string& name) override { m_Record.fontName = name; }
  void SetFontSize(int32_t points) override { m_Record.pointSize = points; }
  void SetFontColor(UiColor color) override { m_Record.textColor = color; }
  void SetFontStyle(UiFontStyle style) override { m_Record.style = style; }
};

using ImageElement = BoundedElement<Win32Image>;

}  // namespace

Win32UiWindow::Win32UiWindow(std::u16string name, HWND window)
    : m_Name(std::move(name)), m_Window(window) {}

Win32UiWindow::~Win32UiWindow() = default;

void Win32UiWindow::AddLabel(Win32Label& label) {
  m_Elements.push_back(std::make_unique<LabelElement>(label));
}

void Win32UiWindow::AddImage(Win32Image& image) {
  m_Elements.push_back(std::make_unique<ImageElement>(u"TImage", image));
}

void Win32UiWindow::AddObject(std::u16string kindName, std::u16string elementName) {
  m_Elements.push_back(std::make_unique<NamedElement>(std::move(kindName), std::move(elementName)));
}

UiElement* Win32UiWindow::ElementAt(int32_t index) {
  if (index < 0 || index >= ElementCount()) return nullptr;
  return m_Elements[static_cast<size_t>(index)].get();
}

HFONT CreateLabelFont(const Win32Label& label, uint32_t dpi) {
  const int height = -static_cast<int>(std::lround(label.pointSize * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, label.style.bold ? FW_BOLD : FW_NORMAL, label.style.italic,
                     label.style.underline, label.style.strikeOut, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, WideFromUtf16(label.fontName).c_str());
}

namespace {

SIZE MeasureTextExtent(HFONT font, std::u16string_view text) {
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  const std::wstring wide = WideFromUtf16(text);
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size;
}

}  // namespace

int32_t MeasureTextWidth(HFONT font, std::u16string_view text) {
  return MeasureTextExtent(font, text).cx;
}

int32_t MeasureTextHeight(HFONT font, std::u16string_view text) {
  return MeasureTextExtent(font, text).cy;
}

void DrawLabel(HDC dc, const Win32Label& label, uint32_t dpi) {
  if (!label.visible) return;
  RECT area{label.bounds.left, label.bounds.top, label.bounds.right, label.bounds.bottom};
  if (label.background) {
    const HBRUSH brush = CreateSolidBrush(ToColorRef(*label.background));
    FillRect(dc, &area, brush);
    DeleteObject(brush);
  }
  const HFONT font = CreateLabelFont(label, dpi);
  const HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(label.textColor));
  const UINT horizontal = label.alignment == LabelAlignment::Center ? DT_CENTER : DT_LEFT;
  std::wstring text = WideFromUtf16(label.text);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &area,
            horizontal | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SelectObject(dc, old);
  DeleteObject(font);
}

void DrawPicture(HDC dc, const Picture& picture, int32_t x, int32_t y) {
  if (picture.IsEmpty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height),
                    0, 0, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &info,
                    DIB_RGB_COLORS);
}
