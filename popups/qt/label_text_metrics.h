// How much room a text takes in a label's font as the label draws it: the
// measures the show rules fit a text with.
#pragma once

#include <QString>
#include <cstdint>

class QLabel;

// The advance width of `text` in the label's font.
int32_t LabelTextWidth(const QLabel& label, const QString& text);

// The height of the line `text` makes in the label's font, taller than the
// font's own where a fallback face draws some characters (Chinese): what
// the label centres vertically.
int32_t LabelLineHeight(const QLabel& label, const QString& text);
