#include "popups/fit_text.h"

std::u16string FitTextToWidth(std::u16string_view text, int32_t limit,
                              const TextWidthMeasure& measure) {
  if (measure(text) <= limit) return std::u16string(text);
  std::u16string fitted;
  // The whole text is too wide already: its prefixes stop one unit short.
  for (size_t n = 0; n < text.size(); ++n) {
    std::u16string candidate(text.substr(0, n));
    candidate += kEllipsis;
    const int32_t width = measure(candidate);
    if (width > limit) break;
    fitted = std::move(candidate);
    if (width == limit) break;
  }
  if (!fitted.empty()) return fitted;
  for (size_t dots = kEllipsis.size() - 1; dots > 0; --dots) {
    if (measure(kEllipsis.substr(0, dots)) <= limit)
      return std::u16string(kEllipsis.substr(0, dots));
  }
  return {};
}
