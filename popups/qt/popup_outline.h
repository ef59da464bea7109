// The popup's outline as per-pixel transparency, for displays that blend
// windows (every Wayland compositor): smooth where the background picture
// has its own alpha channel, and the key-colour shape where it has none.
#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>

// One alpha value per popup pixel (Format_Alpha8, `size`): the alpha of
// `backgroundPng` (the background PNG as decoded; null when the background
// is no PNG) drawn over the popup as the background element draws it, when
// the picture has an alpha channel; otherwise 255 inside `shape` and 0
// outside it.
QImage PopupOutlineAlpha(const QImage& backgroundPng, QSize size, const QRegion& shape);

// `rendered` (the opaque popup, its picture drawn over black where the
// picture is transparent) with `alpha` applied, as premultiplied ARGB. A
// pixel the picture made partly transparent already holds its colour times
// that alpha, so colours are kept, only clamped to the alpha.
QImage ApplyOutline(const QImage& rendered, const QImage& alpha);
