#include "popups/fit_text.h"

std::u16string FitTextToWidth(std::u16string_view text, int32_t limit,
                              const TextWidthMeasure& measure) {
  if (measure(text) <= limit) return std::u16string(text);
  size_t keep = 0;
  for (size_t n = 1; n <= text.size(); ++n) {
    const int32_t width = measure(text.substr(0, n));
    if (width > limit) break;
    keep = n;
    if (width == limit) break;
  }
  std::u16string fitted(text.substr(0, keep));
  fitted += kEllipsis;
  return fitted;
}
