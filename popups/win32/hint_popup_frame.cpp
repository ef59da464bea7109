#include "popups/win32/hint_popup_frame.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/program_name.h"
#include "platform/session/executable_folder.h"
#include "platform/utf8_text.h"
#include "platform/win32/wide_text.h"
#include "popups/popup_placement.h"
#include "popups/popup_trace.h"
#include "skin/Language_elementsproperty.h"
#include "skin/Language_subroutines.h"
#include "skin/Ui_releaseelements.h"
#include "skin/Utils_logpixels.h"
#include "skin/win32/win32_display.h"
#include "skin/win32/win32_window_shape.h"

namespace {

constexpr auto kWindowClass = ProgramNameWide("Popup");
constexpr UINT_PTR kHideTimer = 1;

void RegisterPopupClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass.text;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

Win32Label MakeLabel(std::u16string name, const Rect& bounds) {
  Win32Label label;
  label.name = std::move(name);
  label.bounds = bounds;
  label.fontName = hint_popup_layout::kLabelFace;
  label.pointSize = hint_popup_layout::kLabelPointSize;
  label.style.bold = true;
  label.alignment = LabelAlignment::Center;
  return label;
}

// A text label as the show rules see it, measured in its fonts at `dpi`.
class Win32HintTextLabel final : public HintTextLabel {
 public:
  Win32HintTextLabel(Win32Label& label, uint32_t dpi) : m_Label(label), m_Dpi(dpi) {}

  int32_t Width() const override { return m_Label.bounds.right - m_Label.bounds.left; }
  int32_t Height() const override { return m_Label.bounds.bottom - m_Label.bounds.top; }
  int32_t TextWidth(std::u16string_view text) const override {
    const HFONT font = CreateLabelFont(m_Label, m_Dpi);
    const int32_t width = MeasureTextWidth(font, text);
    DeleteObject(font);
    return width;
  }
  int32_t LineHeight(std::u16string_view text) const override {
    const HFONT font = CreateLabelFont(m_Label, m_Dpi);
    const int32_t height = MeasureTextHeight(font, text);
    DeleteObject(font);
    return height;
  }
  void SetText(std::u16string text) override { m_Label.text = std::move(text); }
  void SetPointSize(double points) override { m_Label.pointSize = points; }
  void SetAlignment(PopupTextAlignment alignment) override {
    m_Label.alignment =
        alignment == PopupTextAlignment::Left ? LabelAlignment::Left : LabelAlignment::Center;
  }
  void WriteDiagnostic(const char* name, int32_t value) const override {
    WritePopupDiagnostic(name, value);
  }

 private:
  Win32Label& m_Label;
  uint32_t m_Dpi;
};

}  // namespace

void WritePopupDiagnostic(const char* name, int32_t value) {
  const std::wstring line =
      std::wstring(name, name + std::strlen(name)) + L"=" + std::to_wstring(value);
  OutputDebugStringW(line.c_str());
}

HintPopupFrame::HintPopupFrame(const HintPopupConstants& constants, std::string dataFolder)
    : m_Constants(constants) {
  RegisterPopupClass();
  // No taskbar entry, no frame, above other windows, and never activated:
  // a notification must not take the keyboard from a game.
  m_Window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kWindowClass.text,
                             reinterpret_cast<const wchar_t*>(constants.formName), WS_POPUP, 0, 0,
                             hint_popup_layout::kWidth, hint_popup_layout::kHeight, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));

  m_LayoutFactor = GetWindowScaleFactor(Win32WindowHandle(m_Window));
  m_Geometry = ScaledHintPopupGeometry(m_LayoutFactor);
  m_Width = m_Geometry.client.right - m_Geometry.client.left;
  m_Height = m_Geometry.client.bottom - m_Geometry.client.top;

  im_BackgroundImage.name = u"im_BackgroundImage";
  im_BackgroundImage.bounds = m_Geometry.client;
  im_BackgroundImage.autoSize = true;
  m_TitleLabel = MakeLabel(constants.titleLabelName, m_Geometry.titleLabel);
  lb_Text = MakeLabel(u"lb_Text", m_Geometry.textLabel);
  m_TextLabelView = std::make_unique<Win32HintTextLabel>(lb_Text, Dpi());

  m_DataFolder = HintPopupDataFolder(m_Constants, ExecutableFolder(), std::move(dataFolder));
}

HintPopupFrame::~HintPopupFrame() {
  ReleaseUiDescription(m_UiFile);
  if (m_Window != nullptr) {
    SetWindowLongPtrW(m_Window, GWLP_USERDATA, 0);
    DestroyWindow(m_Window);
  }
}

void HintPopupFrame::FormCreate() {
  const HintPopupLanguage language = PopupResourceLanguage();
  m_LanguageId = language.id;
  m_LanguageName = language.name;

  const std::string uiPath = m_DataFolder + "UI.txt";
  std::error_code error;
  if (std::filesystem::is_regular_file(PathFromUtf8(uiPath), error)) {
    m_UiFile = UiDescription::LoadFile(uiPath);
  }

  const std::string background = BackgroundPath();
  std::optional<Rect> loaded;
  if (!background.empty()) {
    Rect& bounds = im_BackgroundImage.bounds;
    bounds = Rect{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    m_Outline = LoadScaledImage(im_BackgroundImage, background, m_Window);
    if (m_Outline) loaded = bounds;
  }
  const PopupSize size = SkinnedPopupSize(m_Geometry.client, loaded);
  m_Width = size.width;
  m_Height = size.height;
  SetWindowPos(m_Window, nullptr, 0, 0, m_Width, m_Height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  Win32UiWindow window(m_Constants.formName, m_Window);
  window.AddImage(im_BackgroundImage);
  window.AddLabel(m_TitleLabel);
  window.AddLabel(lb_Text);
  AddOwnElements(window);
  window.AddObject(u"TTimer", u"tm_FireKetHint");
  TlanguageElementsProperty record;
  ApplyUiDescription(record, window, uiPath, m_LanguageId, u"", u"");
}

void HintPopupFrame::AddOwnElements(Win32UiWindow&) {}
void HintPopupFrame::PaintOwnElements(HDC) {}

std::string HintPopupFrame::BackgroundPath() const {
  return FindLocalizedFile(m_DataFolder, m_LanguageName, m_Constants.backgroundFileName);
}

void HintPopupFrame::ShowAgain(std::u16string_view title, std::u16string_view text) {
  KillTimer(m_Window, kHideTimer);
  SetTimer(m_Window, kHideTimer, hint_popup_layout::kHideAfterMs, nullptr);

  const float factor = GetWindowScaleFactor(Win32WindowHandle(m_Window));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const WorkArea area{work.left, work.top, work.right - work.left, work.bottom - work.top};
  const PopupPosition at = BottomRightPopupPosition(area, m_Width, m_Height, factor);
  BuildShapeOnce();
  // Raised at every show: both popups share one corner, and the newest
  // notification must not stay hidden under the other one.
  SetWindowPos(m_Window, HWND_TOPMOST, at.left, at.top, m_Width, m_Height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Invalidate();
  UpdateWindow(m_Window);
  AnnounceAlert(title, text);
  TraceShow();
}

// Screen readers speak an alert's accessible name: for a window, its text,
// which nothing else of this borderless popup shows.
void HintPopupFrame::AnnounceAlert(std::u16string_view title, std::u16string_view text) {
  const std::wstring spoken = WideFromUtf16(title) + L": " + WideFromUtf16(text);
  SetWindowTextW(m_Window, spoken.c_str());
  NotifyWinEvent(EVENT_SYSTEM_ALERT, m_Window, OBJID_WINDOW, CHILDID_SELF);
}

void HintPopupFrame::Invalidate() { InvalidateRect(m_Window, nullptr, FALSE); }

// The shape is cut at the first show from the outline the background was
// loaded with, so it matches the picture shown; it is never rebuilt.
void HintPopupFrame::BuildShapeOnce() {
  if (!m_Outline) return;
  const HRGN region = WindowShapeRegion(*m_Outline, im_BackgroundImage.bounds, m_Width, m_Height,
                                        GetSysColor(COLOR_BTNFACE));
  m_Outline.reset();
  // The window owns the region from here on.
  if (SetWindowRgn(m_Window, region, FALSE) == 0) DeleteObject(region);
}

void HintPopupFrame::tm_FireKetHintTimer() {
  KillTimer(m_Window, kHideTimer);
  ShowWindow(m_Window, SW_HIDE);
  if (IsPopupTraceOn()) WritePopupTrace(FormatPopupHideLine(m_Constants.traceName));
}

void HintPopupFrame::Paint() {
  PAINTSTRUCT paint;
  const HDC screen = BeginPaint(m_Window, &paint);
  // Drawn off screen first, so a show never flickers through half a popup.
  const HDC canvas = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, m_Width, m_Height);
  const HGDIOBJ oldBitmap = SelectObject(canvas, bitmap);
  RECT all{0, 0, m_Width, m_Height};
  FillRect(canvas, &all, GetSysColorBrush(COLOR_BTNFACE));
  DrawPicture(canvas, im_BackgroundImage.picture, im_BackgroundImage.bounds.left,
              im_BackgroundImage.bounds.top);
  DrawLabel(canvas, m_TitleLabel, Dpi());
  DrawLabel(canvas, lb_Text, Dpi());
  PaintOwnElements(canvas);
  BitBlt(screen, 0, 0, m_Width, m_Height, canvas, 0, 0, SRCCOPY);
  SelectObject(canvas, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(canvas);
  EndPaint(m_Window, &paint);
}

void HintPopupFrame::TraceShow() const {
  if (!IsPopupTraceOn()) return;
  RECT bounds{};
  GetWindowRect(m_Window, &bounds);
  PopupShowRecord record;
  record.popupName = m_Constants.traceName;
  record.title = m_TitleLabel.text;
  record.text = lb_Text.text;
  record.x = bounds.left;
  record.y = bounds.top;
  record.width = bounds.right - bounds.left;
  record.height = bounds.bottom - bounds.top;
  record.alignment = lb_Text.alignment == LabelAlignment::Left ? PopupTextAlignment::Left
                                                               : PopupTextAlignment::Center;
  record.pointSize = static_cast<int32_t>(std::lround(lb_Text.pointSize));
  WritePopupTrace(FormatPopupShowLine(record));
}

LRESULT CALLBACK HintPopupFrame::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* popup = reinterpret_cast<HintPopupFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (popup == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return popup->Handle(message, wParam, lParam);
}

LRESULT HintPopupFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // a click must not take the focus from a game
    case WM_TIMER:
      if (wParam == kHideTimer) {
        tm_FireKetHintTimer();
        return 0;
      }
      break;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    default:
      break;
  }
  return DefWindowProcW(m_Window, message, wParam, lParam);
}
