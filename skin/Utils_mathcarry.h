// Reading a run of hexadecimal digits as a number.
#pragma once

#include <cstdint>
#include <string_view>

// The value of the leading hexadecimal digits of `text` (either letter case);
// reading stops at the first character that is no digit. No digits give 0.
// Of more than eight digits the last eight read count.
uint32_t HexTextToValue(std::u16string_view text);
