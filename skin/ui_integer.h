// The integer syntax of UI descriptions: an optional sign and decimal
// digits, or hexadecimal digits after "$" or "0x" ("-$10" is -16). Nothing
// else may stand in the text, not even blanks.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The error of a text that is no integer; it ends the operation that met it.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decimal values must lie in the 32-bit signed range; hexadecimal ones may
// use all 32 bits ("$FFFFFFFF" is -1). Throws EConvertError with the message
// "'<text>' is not a valid integer value".
int32_t UiTextToInt(std::u16string_view text);
