// The popup for the keyboard's LT-key state and the mouse's CPI level: a
// title and a text, the text sized from the popup's UI description at every
// show and shortened with "..." when it does not fit.
#pragma once

#include <QString>
#include <string>

#include "popups/qt/hint_popup_frame.h"

class QLabel;

class TformLTKeyHintDialog : public HintPopupFrame {
 public:
  // `dataFolder`: see HintPopupFrame; empty means Data/LTKeyHint/ beside
  // the executable.
  explicit TformLTKeyHintDialog(std::string dataFolder = {});

  void ShowHintText(const QString& title, const QString& text);

  QLabel* const lb_LTKey;

 private:
  // The text label's size after skinning: kept when the description has no
  // usable size, so that a shortened text's 40 points never carry over.
  double m_CreatedTextPointSizeF = 0.0;
};

// `text` shortened with "..." to the label's width (popups/fit_text.h),
// measured in the label's font, the one it is drawn with.
QString FitTextToWidth(const QLabel& label, const QString& text);
