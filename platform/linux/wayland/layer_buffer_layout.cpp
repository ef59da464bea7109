#include "platform/linux/wayland/layer_buffer_layout.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t RoundUpTo(int32_t value, int32_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

LayerBufferLayout LayoutLayerBuffer(int32_t width, int32_t height, double drawnScale,
                                    bool haveViewporter) {
  LayerBufferLayout layout;
  layout.bufferWidth = width;
  layout.bufferHeight = height;
  // A scale below 1 or one that is no number is drawn at 1: a buffer scale
  // is a positive whole number.
  const double scale = std::isfinite(drawnScale) && drawnScale >= 1.0 ? drawnScale : 1.0;
  const auto whole = static_cast<int32_t>(std::ceil(scale));
  const bool divides = width % whole == 0 && height % whole == 0;
  if (scale == whole && divides) {
    layout.bufferScale = whole;
  } else if (haveViewporter) {
    layout.viewport = true;
    layout.surfaceWidth = std::max<int32_t>(1, static_cast<int32_t>(std::lround(width / scale)));
    layout.surfaceHeight = std::max<int32_t>(1, static_cast<int32_t>(std::lround(height / scale)));
    return layout;
  } else {
    // Without the viewporter a fraction is shown at the whole scale above.
    layout.bufferScale = whole;
    layout.bufferWidth = RoundUpTo(width, whole);
    layout.bufferHeight = RoundUpTo(height, whole);
    layout.padLeft = layout.bufferWidth - width;
    layout.padTop = layout.bufferHeight - height;
  }
  layout.surfaceWidth = layout.bufferWidth / layout.bufferScale;
  layout.surfaceHeight = layout.bufferHeight / layout.bufferScale;
  return layout;
}
