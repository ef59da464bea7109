// The popups' trace: one line per show and per hide, for the simulator and
// tests that follow what the user would have seen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

using PopupTraceSink = std::function<void(const std::string& line)>;

// An empty function switches the trace off. Used from the user-interface
// thread only, as the popups are.
void SetPopupTrace(PopupTraceSink trace);
bool IsPopupTraceOn();
void WritePopupTrace(const std::string& line);

enum class PopupTextAlignment { Center, Left };

// What one show put on screen: the captions as shown (after shortening),
// the window's rectangle and the text label's alignment and point size.
struct PopupShowRecord {
  std::string popupName;  // "LTKeyHint", "RTModeHint"
  std::u16string title;
  std::u16string text;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  PopupTextAlignment alignment = PopupTextAlignment::Center;
  int32_t pointSize = 0;
};

// popup NAME show title="..." text="..." x=X y=Y w=W h=H align=center|left size=N
// Captions are UTF-8 with '"' and '\' escaped by a backslash, and line
// breaks as \n and \r, so that every record stays one line.
std::string FormatPopupShowLine(const PopupShowRecord& record);
// popup NAME hide
std::string FormatPopupHideLine(std::string_view popupName);

std::string EscapeTraceText(std::u16string_view text);
