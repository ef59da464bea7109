// The popup for the keyboard's LT-key state and the mouse's CPI level: a
// title and a text, the text sized from the popup's UI description at every
// show and shortened with "..." when it does not fit.
#pragma once

#include <string>

#include "popups/win32/hint_popup_frame.h"

class TformLTKeyHintDialog : public HintPopupFrame {
 public:
  // `dataFolder`: see HintPopupFrame; empty means Data/LTKeyHint/ beside
  // the executable.
  explicit TformLTKeyHintDialog(std::string dataFolder = {});

  void ShowHintText(const std::u16string& title, const std::u16string& text);

  const Win32Label& lb_LTKey() const { return m_TitleLabel; }

 private:
  // The text label's size after skinning: kept when the description has no
  // usable size, so that a shortened text's 40 points never carry over.
  double m_CreatedTextPointSize = 0.0;
};
