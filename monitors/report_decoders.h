// Turning one input report into the device event messages for the main
// window. Platform-free and allocation-free: the events come back in a small
// fixed array.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

struct DeviceEvent {
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;

  friend bool operator==(const DeviceEvent&, const DeviceEvent&) = default;
};

// At most two events come out of one report (a keyboard's RT mode and LT key).
struct DecodedEvents {
  std::array<DeviceEvent, 2> events{};
  size_t count = 0;

  const DeviceEvent* begin() const { return events.data(); }
  const DeviceEvent* end() const { return events.data() + count; }
  void Add(DeviceEvent event) { events[count++] = event; }
};

// The kind of an ID7M monitor, from its DeviceKind text ("Keyboard" or
// "Mouse", compared case-sensitively); anything else decodes nothing.
enum class Id7mKind { Keyboard, Mouse, Other };
Id7mKind Id7mKindFromText(std::string_view deviceKind);

// ID7M report (layout in monitors/input_report_layout.h): a mouse's CPI
// level, or a keyboard's RT mode (its flag passed on as lParam) and LT key
// state. The RT mode message comes before the LT key message.
DecodedEvents DecodeId7mReport(Id7mKind kind, std::span<const uint8_t> report);

// ES2862 report: a CPI level, whole; a report too short to hold the level
// decodes nothing.
DecodedEvents DecodeEs2862Report(std::span<const uint8_t> report);
