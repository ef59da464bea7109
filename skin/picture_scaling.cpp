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

// The source pixels that target pixel `t` covers when `sourceSize` pixels
// are stretched over `targetSize`, each with the share of the target pixel
// it covers: the target pixel spans [t, t + 1) x sourceSize / targetSize.
struct Coverage {
  int32_t first = 0;
  std::vector<float> weights;  // for first, first + 1, ...
};
Coverage CoverageOf(int32_t t, int32_t targetSize, int32_t sourceSize) {
  const double scale = static_cast<double>(sourceSize) / targetSize;
  const double from = t * scale;
  const double to = (t + 1) * scale;
  Coverage coverage;
  coverage.first = static_cast<int32_t>(std::floor(from));
  for (int32_t s = coverage.first; s < sourceSize && s < to; ++s) {
    const double overlap = std::min<double>(s + 1, to) - std::max<double>(s, from);
    coverage.weights.push_back(static_cast<float>(overlap / scale));
  }
  return coverage;
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
    for (int32_t x = 0; x < size.width; ++x)
      out[x] = source.At(columns[static_cast<size_t>(x)], row);
  }
  return target;
}

Picture EnlargeSmoothly(const Picture& source, PixelSize size) {
  Picture target = Blank(size);
  if (target.IsEmpty() || source.IsEmpty()) return target;
  std::vector<Coverage> columns(static_cast<size_t>(size.width));
  for (int32_t x = 0; x < size.width; ++x)
    columns[static_cast<size_t>(x)] = CoverageOf(x, size.width, source.width);
  for (int32_t y = 0; y < size.height; ++y) {
    const Coverage rows = CoverageOf(y, size.height, source.height);
    uint32_t* out = &target.pixels[static_cast<size_t>(y) * static_cast<size_t>(size.width)];
    for (int32_t x = 0; x < size.width; ++x) {
      const Coverage& column = columns[static_cast<size_t>(x)];
      float sums[4] = {0, 0, 0, 0};
      for (size_t j = 0; j < rows.weights.size(); ++j) {
        for (size_t i = 0; i < column.weights.size(); ++i) {
          const uint32_t pixel = source.At(column.first + static_cast<int32_t>(i),
                                           rows.first + static_cast<int32_t>(j));
          const float weight = rows.weights[j] * column.weights[i];
          for (int c = 0; c < 4; ++c) sums[c] += weight * static_cast<float>(Channel(pixel, 8 * c));
        }
      }
      uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) {
        pixel |= static_cast<uint32_t>(std::lround(std::clamp(sums[c], 0.0f, 255.0f))) << (8 * c);
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
