#include "app/simulator/simulator_trace.h"

std::string MessageTraceLine(const Message& message) {
  std::string line = "message " + std::to_string(message.msg) +
                     " wParam=" + std::to_string(message.wParam) + " lParam=";
  if (message.broadcast) {
    line += "[deviceType=" + std::to_string(message.broadcast->deviceType) +
            " name=" + message.broadcast->name + "]";
  } else {
    line += std::to_string(message.lParam);
  }
  return line;
}

std::string HexBytes(const std::vector<uint8_t>& bytes, size_t count) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = i < bytes.size() ? bytes[i] : 0;
    if (i > 0) text += ' ';
    text += digits[b >> 4];
    text += digits[b & 0x0F];
  }
  return text;
}
