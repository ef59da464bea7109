// A wider integer or a floating-point value brought into the 32-bit range:
// below it gives INT32_MIN (so does NaN), above it INT32_MAX, and a
// floating-point value inside it is cut toward zero.
#pragma once

#include <cstdint>
#include <limits>
#include <type_traits>

template <typename Number>
requires(std::is_arithmetic_v<Number> && sizeof(Number) >= sizeof(int64_t)) constexpr int32_t
    ClampToInt32(Number value) {
  constexpr auto kMin = std::numeric_limits<int32_t>::min();
  constexpr auto kMax = std::numeric_limits<int32_t>::max();
  if (!(value >= static_cast<Number>(kMin))) return kMin;
  if (value > static_cast<Number>(kMax)) return kMax;
  return static_cast<int32_t>(value);
}
