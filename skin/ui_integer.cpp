#include "skin/ui_integer.h"

#include <optional>

#include "platform/ascii_text.h"
#include "skin/text_helpers.h"

namespace {

std::optional<uint32_t> ParseHex(std::u16string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(digit);
    if (value > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

// The magnitude, up to 2^31 so that the most negative value fits.
std::optional<uint64_t> ParseDecimal(std::u16string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - u'0');
    if (value > uint64_t{1} << 31) return std::nullopt;
  }
  return value;
}

std::optional<int32_t> ParseInteger(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  std::optional<uint32_t> hex;
  if (text.starts_with(u"$")) {
    hex = ParseHex(text.substr(1));
    if (!hex) return std::nullopt;
  } else if (text.starts_with(u"0x") || text.starts_with(u"0X")) {
    hex = ParseHex(text.substr(2));
    if (!hex) return std::nullopt;
  }
  if (hex) {
    // All 32 bits count; the sign negates in two's complement.
    const uint32_t bits = negative ? 0u - *hex : *hex;
    return static_cast<int32_t>(bits);
  }
  const auto magnitude = ParseDecimal(text);
  if (!magnitude) return std::nullopt;
  if (negative) return static_cast<int32_t>(-static_cast<int64_t>(*magnitude));
  if (*magnitude > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(*magnitude);
}

}  // namespace

int32_t UiTextToInt(std::u16string_view text) {
  if (const auto value = ParseInteger(text)) return *value;
  throw EConvertError("'" + Utf16ToUtf8(text) + "' is not a valid integer value");
}
