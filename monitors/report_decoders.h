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

// ID7M report: byte 1 is the event class (0x01 mouse, 0x20 keyboard).
// Mouse: byte 12 bit 3 = CPI level changed, bits 0-2 the level.
// Keyboard: byte 6 bit 7 = RT mode changed, bit 6 passed on as lParam, bits
// 0-2 the mode; byte 4 bit 7 = LT key changed, bits 0-2 the state. The RT
// mode message comes before the LT key message.
// Bytes that the report does not reach read as 0, so a short report never
// decodes what an earlier one left behind.
DecodedEvents DecodeId7mReport(Id7mKind kind, std::span<const uint8_t> report);

// ES2862 report: byte 1 = 0x87 announces a CPI change, byte 7 is the new
// level, whole. A report too short to hold the level decodes nothing.
DecodedEvents DecodeEs2862Report(std::span<const uint8_t> report);
