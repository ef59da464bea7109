// The simulator's scenario language: one command a line.
//
//   plug NAME KIND [denied] KIND: keyboard, mouse, flash-keyboard, es2862, foreign;
//                          denied: the user may not open it (no udev rule)
//   unplug NAME
//   lt NAME STATE          the keyboard reports a new LT key state (0-7)
//   rt NAME MODE [FLAG]    the keyboard reports a new RT mode (0-7), flag 0 or 1
//   cpi NAME LEVEL         the mouse reports a new CPI level (0-7; 0-255 on es2862)
//   report NAME HEX...     any input report, byte 0 (the report ID) first
//   fullscreen on|off      a full-screen application opens or closes
//   language English|ChineseS|ChineseT
//   wait MS
//   close
//
// Blank lines and lines starting with '#' are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class SimDeviceKind { Keyboard, Mouse, FlashKeyboard, Es2862, Foreign };

struct ScenarioCommand {
  enum class Verb { Plug, Unplug, LtKey, RtMode, Cpi, Report, FullScreen, Language, Wait, Close };
  Verb verb = Verb::Close;
  std::string device;                            // NAME
  SimDeviceKind kind = SimDeviceKind::Keyboard;  // plug
  bool accessDenied = false;                     // plug ... denied
  uint32_t value = 0;                            // state, mode, level, milliseconds; fullscreen 1/0
  bool flag = false;                             // rt
  std::vector<uint8_t> bytes;                    // report
  std::string language;                          // language
};

struct ScenarioLine {
  std::optional<ScenarioCommand> command;  // none for blank and comment lines
  std::string error;                       // why the line was refused
};

ScenarioLine ParseScenarioLine(std::string_view line);

// The input reports a device of `kind` sends for a change; empty when the
// kind has no such report (an LT key state from a mouse, say).
std::vector<uint8_t> LtKeyReport(SimDeviceKind kind, uint8_t state);
std::vector<uint8_t> RtModeReport(SimDeviceKind kind, uint8_t mode, bool flag);
std::vector<uint8_t> CpiReport(SimDeviceKind kind, uint8_t level);
