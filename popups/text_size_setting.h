// The LT-key popup's text size as its UI description writes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// A whole number of points: an optional sign and decimal digits, nothing
// else. Text that is no such number ("@@" for a missing key, "14pt", "")
// and sizes no font can take (below 1, or absurdly large) give nullopt; the
// caller then keeps the size the label already has.
std::optional<int32_t> ParseTextSizeSetting(std::u16string_view text);

// Larger sizes are refused: a glyph of that size would only cost memory.
inline constexpr int32_t kLargestTextPointSize = 1000;
