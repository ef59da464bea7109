// The program's name wherever the system shows it or keys something by it:
// Qt's application name, the single-instance lock, the autostart entry, the
// window classes, message boxes and the prefix of lines on standard error.
// Files and packages named "corvane-notification" spell another word.
#pragma once

#include <cstddef>

inline constexpr char kProgramName[] = "CorvaneNotification";

// A wide string of the name followed by `suffix` (ASCII), as a Win32 window
// class or caption takes it: `ProgramNameWide("Popup").text`.
template <size_t Length>
struct WideProgramName {
  wchar_t text[Length];
};

template <size_t SuffixSize>
consteval auto ProgramNameWide(const char (&suffix)[SuffixSize]) {
  constexpr size_t nameLength = sizeof(kProgramName) - 1;
  WideProgramName<nameLength + SuffixSize> wide{};
  for (size_t i = 0; i < nameLength; ++i) wide.text[i] = static_cast<wchar_t>(kProgramName[i]);
  for (size_t i = 0; i < SuffixSize; ++i) {
    wide.text[nameLength + i] = static_cast<wchar_t>(suffix[i]);
  }
  return wide;
}
