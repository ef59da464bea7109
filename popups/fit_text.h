// Shortening a text that is too wide for its label: the longest prefix that
// fits, followed by "...".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The width in pixels of a text in the measuring font.
using TextWidthMeasure = std::function<int32_t(std::u16string_view text)>;

inline constexpr std::u16string_view kEllipsis = u"...";

// A text no wider than `limit` comes back unchanged. Otherwise prefixes of
// 1, 2, ... code units are measured until one is wider than `limit`; a
// prefix exactly `limit` wide ends the scan at once. The longest prefix
// measured within the limit is returned followed by "...", which is not
// measured, so the result may be wider than `limit` by the width of
// "...". When not even the first code unit fits, the result is "..." alone.
// Positions count UTF-16 code units, so the cut may fall inside a
// surrogate pair.
std::u16string FitTextToWidth(std::u16string_view text, int32_t limit,
                              const TextWidthMeasure& measure);
