#include "skin/Utils_mathcarry.h"

#include "platform/ascii_text.h"

uint32_t HexTextToValue(std::u16string_view text) {
  // Shifting each digit in from the right keeps a 32-bit field of the last
  // eight digits read; earlier digits fall off the top.
  uint32_t value = 0;
  for (char16_t c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) break;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}
