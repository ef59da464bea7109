// The outline of a skinned window: every pixel of its background picture
// that is not in the key colour (the colour of the top-left pixel) belongs
// to the window; key-coloured pixels, inside the picture as well as at its
// border, are cut out.
//
// The scan is a pure function of the pixels. The platform layer turns the
// rectangles into its own region object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/ui_rect.h"

// A read-only view of a picture: top-down rows of `bytesPerLine` bytes, each
// pixel `bytesPerPixel` (3 or 4) bytes of which the first three are its
// colour values, in any channel order. QImage's Format_RGB888 and
// Format_RGB32 rows fit it as they are.
struct PixelView {
  const uint8_t* data = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t bytesPerLine = 0;
  int32_t bytesPerPixel = 3;
};

// False when the view cannot be scanned safely: no data, a negative size, a
// pixel size other than 3 or 4, or rows shorter than width pixels.
bool IsScannable(const PixelView& view);

// Calls `onRun(Rect)` once per maximal run of non-key pixels of each row, as
// a one-pixel-high rectangle, rows from the top down and runs from left to
// right. A run that reaches the last column ends at width. Nothing is
// emitted for an empty or unscannable view. Only the picture's own width is
// scanned: padding bytes that a row may carry after it never join a run.
// (The callback is not called "emit": Qt defines that word as a macro.)
template <typename OnRun>
void ForEachWindowShapeRun(const PixelView& view, OnRun&& onRun) {
  if (!IsScannable(view) || view.width == 0 || view.height == 0) return;
  const uint8_t* key = view.data;
  const auto isKey = [key](const uint8_t* p) {
    return p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
  };
  const size_t step = static_cast<size_t>(view.bytesPerPixel);
  for (int32_t y = 0; y < view.height; ++y) {
    const uint8_t* pixel = view.data + static_cast<size_t>(y) * view.bytesPerLine;
    int32_t runStart = -1;
    for (int32_t x = 0; x < view.width; ++x, pixel += step) {
      if (isKey(pixel)) {
        if (runStart >= 0) {
          onRun(Rect{runStart, y, x, y + 1});
          runStart = -1;
        }
      } else if (runStart < 0) {
        runStart = x;
      }
    }
    if (runStart >= 0) onRun(Rect{runStart, y, view.width, y + 1});
  }
}

// The runs of ForEachWindowShapeRun collected in its order (top-down, left
// to right).
std::vector<Rect> BuildWindowShapeRuns(const PixelView& view);

// Joins rows whose runs are identical with the row above into one taller
// band, so that a picture with straight sides gives a few rectangles instead
// of one per row. Input: runs as BuildWindowShapeRuns gives them. The result
// covers the same pixels, is sorted top-down then left to right, and no two
// of its rectangles overlap or touch side by side in the same band.
std::vector<Rect> CoalesceRowBands(const std::vector<Rect>& runs);

// The size a picture of `width` x `height` takes at scale factor `factor`:
// each side truncated, not rounded (247 at 1.25 is 308). Negative or
// non-finite results give 0; results beyond the 32-bit range are clamped.
struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
PixelSize ScaledPictureSize(PixelSize picture, float factor);

// The source pixel whose area holds the centre of pixel `target` when
// `sourceSize` pixels are stretched over `targetSize`: floor((target + 0.5)
// x sourceSize / targetSize). Enlarging by this index keeps every source
// pixel a solid block, so a picture's outline keeps its shape exactly.
// `target` must lie in [0, targetSize).
int32_t NearestSourceIndex(int32_t target, int32_t targetSize, int32_t sourceSize);
