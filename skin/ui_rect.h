// A rectangle in pixels: left, top, right, bottom; right and bottom are the
// exclusive edges, so the width is right - left and the height bottom - top.
#pragma once

#include <cstdint>

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  friend bool operator==(const Rect&, const Rect&) = default;
};
