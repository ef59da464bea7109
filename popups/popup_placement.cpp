#include "popups/popup_placement.h"

#include <cmath>
#include <limits>

#include "skin/int32_clamp.h"

namespace {

// origin + trunc(extent - size - margin), computed in double (exact for any
// 32-bit operands) and clamped to the 32-bit range once at the end.
int32_t CornerEdge(int32_t origin, int32_t extent, int32_t size, double margin) {
  const double offset = std::trunc(static_cast<double>(extent) - size - margin);
  return ClampToInt32(static_cast<double>(origin) + offset);
}

}  // namespace

PopupPosition BottomRightPopupPosition(const WorkArea& work, int32_t popupWidth,
                                       int32_t popupHeight, float factor) {
  const double margin = 1.0 * static_cast<double>(factor);
  PopupPosition position;
  position.left = CornerEdge(work.left, work.width, popupWidth, margin);
  position.top = CornerEdge(work.top, work.height, popupHeight, margin);
  return position;
}
