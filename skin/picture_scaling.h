// Pictures in memory and their enlargement for denser monitors, apart from
// any toolkit: 32-bit pixels 0xAARRGGBB with premultiplied colour, rows
// top-down without padding (the layout of a 32-bit Windows DIB and of WIC's
// PBGRA format).
#pragma once

#include <cstdint>
#include <vector>

#include "skin/Skin_windowshape.h"

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // width x height

  bool IsEmpty() const { return width <= 0 || height <= 0; }
  uint32_t At(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  // Whether any pixel is less than opaque.
  bool HasTransparency() const;
  // The pixels as the window-shape scan reads them (4 bytes per pixel).
  PixelView View() const;
};

// Each target pixel takes the source pixel under its centre
// (NearestSourceIndex), so every source pixel becomes a solid block.
Picture EnlargePixelExactly(const Picture& source, PixelSize size);

// Each target pixel averages the source pixels it covers, weighted by how
// much of it each covers, on premultiplied colour, so a transparent
// neighbour never darkens an edge. Ink is kept: a line one pixel wide comes
// out equally heavy wherever it lies, which nearest-pixel enlargement and
// bilinear sampling both miss at factors such as 1.25.
Picture EnlargeSmoothly(const Picture& source, PixelSize size);

// The picture drawn over an opaque colour (0x00RRGGBB): opaque throughout.
Picture OverFill(const Picture& picture, uint32_t fillRgb);

// A PNG background enlarged for a window: what the window shows (smooth)
// and what its outline is cut from (pixel-exact), both of size
// trunc(size x factor), drawn over black when the picture has transparent
// pixels and over white otherwise. Empty pictures when the size is empty.
struct ScaledPictures {
  Picture shown;
  Picture outline;
};
ScaledPictures ScalePngBackground(const Picture& png, float factor);
