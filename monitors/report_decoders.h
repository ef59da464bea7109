// Turning one input report into the device event messages for the main
// window. Platform-free and allocation-free: the messages come back in a
// small fixed array, ready to post.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "platform/message.h"

// At most two events come out of one report (a keyboard's RT mode and LT key).
struct DecodedEvents {
  std::array<Message, 2> events{};
  size_t count = 0;

  const Message* begin() const { return events.data(); }
  const Message* end() const { return events.data() + count; }
  void Add(Message event) { events[count++] = std::move(event); }
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
