// Skinned window backgrounds: loading a background picture into a window's
// image element, enlarged for the window's monitor, and cutting the window
// to the picture's outline.
#pragma once

#include <QImage>
#include <QRegion>
#include <QString>
#include <vector>

#include "skin/ui_rect.h"

class ImageElement;
class QWidget;

// Loads the file at `path` into `image`. A path ending in ".png" exactly
// (lower case) is enlarged to trunc(size x the window's factor) as
// ScalePngBackground does, and auto-size is switched off. Any other file is
// shown at its stored size, with the element's auto-size. False, with
// nothing changed, when there is no file or it cannot be decoded.
bool LoadScaledImage(ImageElement& image, const QString& path, const QWidget* window);

// Loads the file with LoadScaledImage and gives `window` the outline of the
// picture: for a PNG, the outline of its pixel-exact enlargement (see
// ScalePngBackground). Nothing changes when there is no file or it cannot
// be decoded. Returns the PNG as decoded, at its stored size, so a caller
// can take its transparency without reading the file again; a null picture
// when the file is no PNG or nothing was loaded.
QImage SetWindowShapeFromImage(QWidget* window, ImageElement& image, const QString& path);

// A PNG background enlarged for a window, both pictures opaque and of size
// trunc(PNG size x factor), drawn over black when the PNG has an alpha
// channel and over white otherwise, so fully transparent pixels keep that
// colour.
struct ScaledBackground {
  // What the window shows: enlarged smoothly, so that a line one pixel wide
  // in the picture comes out equally wide wherever it lies.
  QImage shown;
  // What the window's outline is cut from: every target pixel takes the
  // colour of the source pixel under its centre (NearestSourceIndex).
  //
  // The outline is not taken from `shown`: the smoothing filter spreads a
  // little colour into the fully transparent pixels beside the artwork, and
  // over black those no longer match the key colour exactly, so the window
  // would grow a dark fringe whose width depends on the filter. Enlarged
  // pixel-exactly, each source pixel that is cut out, or kept, becomes a
  // solid block of window pixels: the outline is the picture's own at the
  // new size, and at factor 1 it is exactly what the picture gives.
  QImage outline;
};
// Null pictures when the scaled size is empty or cannot be allocated.
ScaledBackground ScalePngBackground(const QImage& png, float factor);

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
