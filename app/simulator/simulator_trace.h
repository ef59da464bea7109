// The simulator's trace lines. Every line reads the same from run to run of
// one scenario, so two runs can be compared line by line: a message whose
// lParam points to a record prints the record, never the address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/message.h"

// "message 1025 wParam=3 lParam=0"; a device change names its record:
// "message 537 wParam=32768 lParam=[deviceType=5 name=/dev/hidraw-sim/1#…]".
std::string MessageTraceLine(const Message& message);

// The first `count` bytes as two lower-case hex digits each, blank between;
// bytes past the end of `bytes` read as 00.
std::string HexBytes(const std::vector<uint8_t>& bytes, size_t count);
