// Where a notification popup sits: the bottom-right corner of the primary
// monitor's work area, one scaled pixel in from its right and bottom edges.
#pragma once

#include <cstdint>

struct PopupPosition {
  int32_t left = 0;
  int32_t top = 0;
  friend bool operator==(const PopupPosition&, const PopupPosition&) = default;
};

// Only the work area's width and height enter, never its own left and top
// edges: a taskbar along the left or top edge does not push the popup. The
// fraction of the one-pixel margin times `factor` is dropped towards zero.
PopupPosition BottomRightPopupPosition(int32_t workWidth, int32_t workHeight, int32_t popupWidth,
                                       int32_t popupHeight, float factor);
