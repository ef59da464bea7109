#include "popups/popup_placement.h"

#include <cmath>
#include <limits>

namespace {

int32_t TruncToInt32(double value) {
  const double truncated = std::trunc(value);
  if (!(truncated >= std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (truncated > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(truncated);
}

}  // namespace

PopupPosition BottomRightPopupPosition(int32_t workWidth, int32_t workHeight, int32_t popupWidth,
                                       int32_t popupHeight, float factor) {
  const double margin = 1.0 * static_cast<double>(factor);
  PopupPosition position;
  position.left = TruncToInt32(static_cast<double>(workWidth) - popupWidth - margin);
  position.top = TruncToInt32(static_cast<double>(workHeight) - popupHeight - margin);
  return position;
}
