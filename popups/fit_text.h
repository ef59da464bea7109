// Shortening a text that is too wide for its label: the longest prefix that,
// followed by "...", still fits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The width in pixels of a text in the font it is drawn with.
using TextWidthMeasure = std::function<int32_t(std::u16string_view text)>;

inline constexpr std::u16string_view kEllipsis = u"...";

// A text no wider than `limit` comes back unchanged. Otherwise prefixes of
// 0, 1, 2, ... code units are measured together with the "..." that follows
// them, until one is wider than `limit`; one exactly `limit` wide ends the
// scan at once. The longest one measured within the limit is returned, so
// the result, dots included, is never wider than `limit`. Where not even
// "..." alone fits, as many of its dots as fit are returned (possibly
// none). Positions count UTF-16 code units, so the cut may fall inside a
// surrogate pair.
std::u16string FitTextToWidth(std::u16string_view text, int32_t limit,
                              const TextWidthMeasure& measure);
