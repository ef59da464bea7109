// The frame shared by the notification popups on Win32: a top-level popup
// window that stays on top, has no taskbar entry and is never activated,
// skinned from its own data folder, cut to the outline of its background
// picture, placed at the bottom-right corner of the primary work area and
// hidden 2000 ms after it was last shown. It paints its labels and its
// background itself, double-buffered.
//
// The layout and the text rules are in popups/hint_popup_layout.h: its
// rectangles are scaled by the monitor's factor at creation; label fonts are
// sized in points, turned into pixels at the monitor's density.
#pragma once

#include <windows.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "popups/hint_popup_layout.h"
#include "skin/ui_description.h"
#include "skin/win32/win32_ui_toolkit.h"

class HintPopupFrame {
 public:
  virtual ~HintPopupFrame();
  HintPopupFrame(const HintPopupFrame&) = delete;
  HintPopupFrame& operator=(const HintPopupFrame&) = delete;

  HWND Handle() const { return m_Window; }
  bool IsVisible() const { return IsWindowVisible(m_Window) != FALSE; }
  const Win32Label& TitleLabel() const { return m_TitleLabel; }
  const Win32Label& TextLabel() const { return lb_Text; }
  const Win32Image& BackgroundImage() const { return im_BackgroundImage; }
  const std::u16string& LanguageName() const { return m_LanguageName; }
  const std::string& DataFolder() const { return m_DataFolder; }
  const UiDescription* UiFile() const { return m_UiFile.get(); }
  std::string BackgroundPath() const;
  // The density the popup's fonts are sized at.
  uint32_t Dpi() const { return static_cast<uint32_t>(std::lround(m_LayoutFactor * 96.0f)); }

  // What the timer does when it fires: exposed for tests that cannot wait.
  void tm_FireKetHintTimer();

 protected:
  // `dataFolder` (ending with '/') replaces the popup's folder beside the
  // executable; empty means Data/<dataFolderName>/ beside the executable.
  HintPopupFrame(const HintPopupConstants& constants, std::string dataFolder);

  // Skins the popup from its data folder; subclasses call it once, at the
  // end of their constructor. A UI description with a number that is no
  // integer throws EConvertError.
  void FormCreate();
  virtual void AddOwnElements(Win32UiWindow& window);
  virtual void PaintOwnElements(HDC dc);

  // Shows the popup, or keeps it shown: either way the timer restarts at the
  // full interval and the popup is placed anew and raised. Screen readers
  // are told `title` and the whole `text`, also where the label shows it
  // shortened.
  void ShowAgain(std::u16string_view title, std::u16string_view text);
  // The layout's rectangles, scaled for the popup's monitor at creation.
  const HintPopupGeometry& Geometry() const { return m_Geometry; }
  // lb_Text for the show rules of popups/hint_popup_layout.h.
  HintTextLabel& TextLabelView() { return *m_TextLabelView; }
  void Invalidate();

  Win32Image im_BackgroundImage;
  Win32Label lb_Text;
  Win32Label m_TitleLabel;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void AnnounceAlert(std::u16string_view title, std::u16string_view text);
  void BuildShapeOnce();
  void TraceShow() const;

  const HintPopupConstants m_Constants;
  HWND m_Window = nullptr;
  float m_LayoutFactor = 1.0f;
  HintPopupGeometry m_Geometry;
  std::unique_ptr<HintTextLabel> m_TextLabelView;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  std::u16string m_LanguageName;
  uint16_t m_LanguageId = 0;
  std::string m_DataFolder;
  std::unique_ptr<UiDescription> m_UiFile;
  // The picture the window's outline is cut from at the first show; none
  // once cut, or without a background picture.
  std::optional<Picture> m_Outline;
};

// The diagnostic lines of the popups ("iTextWidth=N", "lb_Text->Width=N"),
// for a debugger or DebugView.
void WritePopupDiagnostic(const char* name, int32_t value);
