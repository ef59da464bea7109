// Readable rectangles in test failure messages.
#pragma once

#include <ostream>

#include "skin/ui_rect.h"

inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
