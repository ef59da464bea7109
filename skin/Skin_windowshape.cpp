#include "skin/Skin_windowshape.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "skin/int32_clamp.h"

bool IsScannable(const PixelView& view) {
  if (view.data == nullptr || view.width < 0 || view.height < 0) return false;
  if (view.bytesPerPixel != 3 && view.bytesPerPixel != 4) return false;
  return view.bytesPerLine >=
         static_cast<size_t>(view.width) * static_cast<size_t>(view.bytesPerPixel);
}

std::vector<Rect> BuildWindowShapeRuns(const PixelView& view) {
  std::vector<Rect> runs;
  ForEachWindowShapeRun(view, [&runs](const Rect& run) { runs.push_back(run); });
  return runs;
}

namespace {

struct Band {
  size_t first = 0;  // index of its first rectangle in the output
  size_t count = 0;
};

bool SameSpans(const std::vector<Rect>& out, const Band& band, const std::vector<Rect>& runs,
               size_t rowFirst, size_t rowCount) {
  if (band.count != rowCount) return false;
  for (size_t i = 0; i < rowCount; ++i) {
    const Rect& a = out[band.first + i];
    const Rect& b = runs[rowFirst + i];
    if (a.left != b.left || a.right != b.right) return false;
  }
  return true;
}

}  // namespace

std::vector<Rect> CoalesceRowBands(const std::vector<Rect>& runs) {
  std::vector<Rect> out;
  out.reserve(runs.size());
  Band last;
  bool haveBand = false;
  size_t i = 0;
  while (i < runs.size()) {
    const int32_t top = runs[i].top;
    size_t rowEnd = i;
    while (rowEnd < runs.size() && runs[rowEnd].top == top) ++rowEnd;
    const size_t rowCount = rowEnd - i;
    const bool touchesBand = haveBand && out[last.first].bottom == top;
    if (touchesBand && SameSpans(out, last, runs, i, rowCount)) {
      for (size_t k = 0; k < last.count; ++k) out[last.first + k].bottom = runs[i].bottom;
    } else {
      last.first = out.size();
      last.count = rowCount;
      haveBand = true;
      out.insert(out.end(), runs.begin() + static_cast<std::ptrdiff_t>(i),
                 runs.begin() + static_cast<std::ptrdiff_t>(rowEnd));
    }
    i = rowEnd;
  }
  return out;
}

namespace {

int32_t ScaledSide(int32_t side, float factor) {
  const double scaled = std::trunc(static_cast<double>(side) * static_cast<double>(factor));
  if (!(scaled > 0.0)) return 0;  // also NaN
  return ClampToInt32(scaled);
}

}  // namespace

PixelSize ScaledPictureSize(PixelSize picture, float factor) {
  return PixelSize{ScaledSide(picture.width, factor), ScaledSide(picture.height, factor)};
}

int32_t NearestSourceIndex(int32_t target, int32_t targetSize, int32_t sourceSize) {
  if (targetSize <= 0 || sourceSize <= 0) return 0;
  const int64_t index = (2 * int64_t{target} + 1) * sourceSize / (2 * int64_t{targetSize});
  return static_cast<int32_t>(std::clamp<int64_t>(index, 0, sourceSize - 1));
}
