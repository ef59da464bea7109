// A picture of one colour, the starting point of the picture and window
// shape tests.
#pragma once

#include <cstdint>

#include "skin/picture_scaling.h"

inline Picture Filled(int32_t width, int32_t height, uint32_t pixel) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(static_cast<size_t>(width * height), pixel);
  return picture;
}
