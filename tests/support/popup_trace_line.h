// The simulator's trace lines that the tests read back.
#pragma once

#include <optional>
#include <string>

struct PopupShowLine {
  std::string popup;  // "LTKeyHint", "RTModeHint"
  std::string title;
  std::string text;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// popup NAME show title="..." text="..." x=X y=Y w=W h=H ...
std::optional<PopupShowLine> ParsePopupShow(const std::string& line);
bool IsPopupShow(const std::string& line);
bool IsPopupHide(const std::string& line, const std::string& popup);
