// Where a notification popup sits: the bottom-right corner of the primary
// monitor's work area, one scaled pixel in from its right and bottom edges.
#pragma once

#include <cstdint>

// The primary monitor's work area in screen coordinates. Its origin is not
// always (0, 0): on X11 the primary monitor can lie right of or below
// another one, and a panel along the left or top edge moves it too.
struct WorkArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

struct PopupPosition {
  int32_t left = 0;
  int32_t top = 0;
  friend bool operator==(const PopupPosition&, const PopupPosition&) = default;
};

// left = work.left + trunc(work.width - popupWidth - 1.0 x factor), and top
// likewise: the fraction of the one-pixel margin times `factor` is dropped
// towards zero before the work area's origin is added, so the distance from
// the work area's edges never depends on where the work area lies.
PopupPosition BottomRightPopupPosition(const WorkArea& work, int32_t popupWidth,
                                       int32_t popupHeight, float factor);
