#include "popups/text_size_setting.h"

std::optional<int32_t> ParseTextSizeSetting(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > kLargestTextPointSize) return std::nullopt;  // also keeps value from overflowing
  }
  if (negative || value < 1) return std::nullopt;
  return static_cast<int32_t>(value);
}
