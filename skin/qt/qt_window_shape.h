// Skinned window backgrounds: loading a background picture into a window's
// image element, enlarged for the window's monitor, and cutting the window
// to the picture's outline.
#pragma once

#include <QRegion>
#include <QString>

#include <vector>

#include "skin/ui_rect.h"

class ImageElement;
class QImage;
class QWidget;

// Loads the file at `path` into `image`. A path ending in ".png" exactly
// (lower case) is enlarged to trunc(size x the window's factor), drawn over
// black when the PNG has an alpha channel and over white otherwise, so fully
// transparent pixels keep that colour, and auto-size is switched off. Any
// other file is shown at its stored size, with the element's auto-size.
// False, with nothing changed, when there is no file or it cannot be
// decoded.
bool LoadScaledImage(ImageElement& image, const QString& path, const QWidget* window);

// Loads the file with LoadScaledImage and gives `window` the outline of the
// element's pixels. Nothing changes when there is no file or it cannot be
// decoded.
void SetWindowShapeFromImage(QWidget* window, ImageElement& image, const QString& path);

// The region of a picture's non-key pixels (key: the top-left pixel's
// colour), built in one pass.
QRegion WindowShapeRegion(const QImage& pixels);

// `rects` as a region, built in one pass; they must be sorted top-down then
// left to right without overlaps, as the shape builder gives them.
QRegion RegionFromSortedRects(const std::vector<Rect>& rects);

// The mask to give a window whose shape is `region`. QWidget::setMask reads
// an empty region as "no mask" (the whole window visible), so an empty
// shape becomes a one-pixel region outside the window: nothing shows.
QRegion MaskForShape(const QRegion& region);
