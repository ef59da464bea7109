// The popup for the keyboard's RT mode: a title and a text in the size the
// popup was skinned with, never shortened, and a red "WASD" marker that
// modes 4 and 5 show.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "popups/qt/hint_popup_frame.h"

class QLabel;

class TformRTModeHintDialog : public HintPopupFrame {
 public:
  // `dataFolder`: see HintPopupFrame; empty means Data/RTModeHint/ beside
  // the executable.
  explicit TformRTModeHintDialog(std::string dataFolder = {});

  // Modes 1 to 3 hide the marker, 4 and 5 show it, any other leaves it as
  // it is.
  void ShowHintText(uint32_t mode, const QString& title, const QString& text);

  QLabel* const lb_RTMode;
  QLabel* lb_WASD = nullptr;

 protected:
  void AddOwnElements(QtUiWindow& window) override;
};
