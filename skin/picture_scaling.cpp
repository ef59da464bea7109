#include "skin/picture_scaling.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFFu; }

Picture Blank(PixelSize size) {
  Picture picture;
  if (size.width <= 0 || size.height <= 0) return picture;
  picture.width = size.width;
  picture.height = size.height;
  picture.pixels.assign(static_cast<size_t>(size.width) * static_cast<size_t>(size.height), 0);
  return picture;
}

// The two source samples around target index `t` and the weight of the
// second, with the picture's edge pixels extended outwards.
struct Taps {
  int32_t first;
  int32_t second;
  float weight;
};
Taps TapsFor(int32_t t, int32_t targetSize, int32_t sourceSize) {
  const float centre =
      (static_cast<float>(t) + 0.5f) * static_cast<float>(sourceSize) / static_cast<float>(targetSize) -
      0.5f;
  const float clamped = std::clamp(centre, 0.0f, static_cast<float>(sourceSize - 1));
  const int32_t first = static_cast<int32_t>(std::floor(clamped));
  const int32_t second = std::min(first + 1, sourceSize - 1);
  return {first, second, clamped - static_cast<float>(first)};
}

}  // namespace

bool Picture::HasTransparency() const {
  return std::any_of(pixels.begin(), pixels.end(),
                     [](uint32_t p) { return (p & kOpaque) != kOpaque; });
}

PixelView Picture::View() const {
  PixelView view;
  view.data = reinterpret_cast<const uint8_t*>(pixels.data());
  view.width = width;
  view.height = height;
  view.bytesPerLine = static_cast<size_t>(width) * 4;
  view.bytesPerPixel = 4;
  return view;
}

Picture EnlargePixelExactly(const Picture& source, PixelSize size) {
  Picture target = Blank(size);
  if (target.IsEmpty() || source.IsEmpty()) return target;
  std::vector<int32_t> columns(static_cast<size_t>(size.width));
  for (int32_t x = 0; x < size.width; ++x)
    columns[static_cast<size_t>(x)] = NearestSourceIndex(x, size.width, source.width);
  for (int32_t y = 0; y < size.height; ++y) {
    const int32_t row = NearestSourceIndex(y, size.height, source.height);
    uint32_t* out = &target.pixels[static_cast<size_t>(y) * static_cast<size_t>(size.width)];
    for (int32_t x = 0; x < size.width; ++x) out[x] = source.At(columns[static_cast<size_t>(x)], row);
  }
  return target;
}

Picture EnlargeSmoothly(const Picture& source, PixelSize size) {
  Picture target = Blank(size);
  if (target.IsEmpty() || source.IsEmpty()) return target;
  std::vector<Taps> columns(static_cast<size_t>(size.width));
  for (int32_t x = 0; x < size.width; ++x)
    columns[static_cast<size_t>(x)] = TapsFor(x, size.width, source.width);
  for (int32_t y = 0; y < size.height; ++y) {
    const Taps row = TapsFor(y, size.height, source.height);
    uint32_t* out = &target.pixels[static_cast<size_t>(y) * static_cast<size_t>(size.width)];
    for (int32_t x = 0; x < size.width; ++x) {
      const Taps& column = columns[static_cast<size_t>(x)];
      const uint32_t a = source.At(column.first, row.first);
      const uint32_t b = source.At(column.second, row.first);
      const uint32_t c = source.At(column.first, row.second);
      const uint32_t d = source.At(column.second, row.second);
      uint32_t pixel = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const float top = static_cast<float>(Channel(a, shift)) * (1 - column.weight) +
                          static_cast<float>(Channel(b, shift)) * column.weight;
        const float bottom = static_cast<float>(Channel(c, shift)) * (1 - column.weight) +
                             static_cast<float>(Channel(d, shift)) * column.weight;
        const float value = top * (1 - row.weight) + bottom * row.weight;
        pixel |= static_cast<uint32_t>(std::lround(std::clamp(value, 0.0f, 255.0f))) << shift;
      }
      out[x] = pixel;
    }
  }
  return target;
}

Picture OverFill(const Picture& picture, uint32_t fillRgb) {
  Picture result = picture;
  for (uint32_t& pixel : result.pixels) {
    const uint32_t alpha = pixel >> 24;
    uint32_t blended = kOpaque;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t value =
          Channel(pixel, shift) + (Channel(fillRgb, shift) * (255 - alpha) + 127) / 255;
      blended |= std::min<uint32_t>(value, 255) << shift;
    }
    pixel = blended;
  }
  return result;
}

ScaledPictures ScalePngBackground(const Picture& png, float factor) {
  const PixelSize size = ScaledPictureSize(PixelSize{png.width, png.height}, factor);
  if (png.IsEmpty() || size.width <= 0 || size.height <= 0) return {};
  const uint32_t fill = png.HasTransparency() ? 0x000000u : 0xFFFFFFu;
  // Scaled before it is drawn over the fill, so the filter blends colours
  // weighted by their transparency and never mixes in the fill.
  return {OverFill(EnlargeSmoothly(png, size), fill),
          EnlargePixelExactly(OverFill(png, fill), size)};
}
