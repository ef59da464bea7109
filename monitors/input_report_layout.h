// The input reports of the two device families, field by field: one
// definition that the decoders read with Parse and the simulated devices
// write with Serialize, so the two sides cannot drift apart.
//
// Parse is allocation-free (the monitors call it for every report) and reads
// a byte that the report does not reach as 0, so a short report never shows
// what an earlier one left behind. Serialize writes a full report, report
// ID first, with every byte it does not name left 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// ID7M: byte 1 is the event class (0x01 mouse, 0x20 keyboard).
// Mouse: byte 12 bit 3 = CPI level changed, bits 0-2 the level.
// Keyboard: byte 6 bit 7 = RT mode changed, bit 6 a flag, bits 0-2 the mode;
// byte 4 bit 7 = LT key changed, bits 0-2 the state.
struct Id7mInputReport {
  static constexpr uint8_t kReportId = 0x07;
  static constexpr size_t kLength = 64;
  static constexpr uint8_t kMouseEventClass = 0x01;
  static constexpr uint8_t kKeyboardEventClass = 0x20;

  uint8_t eventClass = 0;
  // Each field is set only when its change bit is, and only for its class.
  std::optional<uint8_t> cpiLevel;    // mouse class
  std::optional<uint8_t> rtMode;      // keyboard class
  bool rtFlag = false;                // with rtMode
  std::optional<uint8_t> ltKeyState;  // keyboard class

  static Id7mInputReport Parse(std::span<const uint8_t> report);
  std::vector<uint8_t> Serialize() const;
};

// ES2862: byte 1 = 0x87 announces a CPI change, byte 7 is the new level,
// whole. A report too short to hold the level carries no change.
struct Es2862InputReport {
  static constexpr uint8_t kReportId = 0x05;
  static constexpr size_t kLength = 64;
  static constexpr uint8_t kCpiChanged = 0x87;

  std::optional<uint8_t> cpiLevel;

  static Es2862InputReport Parse(std::span<const uint8_t> report);
  std::vector<uint8_t> Serialize() const;
};
