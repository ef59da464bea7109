// The popup for the keyboard's RT mode: a title, a text, and the red "WASD"
// marker for the modes that remap those keys.
#pragma once

#include <cstdint>
#include <string>

#include "popups/win32/hint_popup_frame.h"

class TformRTModeHintDialog : public HintPopupFrame {
 public:
  // `dataFolder`: see HintPopupFrame; empty means Data/RTModeHint/ beside
  // the executable.
  explicit TformRTModeHintDialog(std::string dataFolder = {});

  // Modes 1-3 hide the marker, 4 and 5 show it, others leave it as it is.
  void ShowHintText(uint32_t mode, const std::u16string& title, const std::u16string& text);

  const Win32Label& lb_RTMode() const { return m_TitleLabel; }
  const Win32Label& lb_WASD() const { return m_Marker; }

 private:
  void AddOwnElements(Win32UiWindow& window) override;
  void PaintOwnElements(HDC dc) override;

  Win32Label m_Marker;
};
