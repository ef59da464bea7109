#include "popups/qt/popup_outline.h"

#include <algorithm>

QImage PopupOutlineAlpha(const QImage& backgroundPng, QSize size, const QRegion& shape) {
  if (!backgroundPng.isNull() && backgroundPng.hasAlphaChannel()) {
    // Enlarged as smoothly as the colours the background element shows
    // (ScalePngBackground), so that each edge pixel's colour and alpha come
    // from the same blend: alpha taken pixel by pixel under smooth colours
    // leaves light speckles and steps along the rounded corners.
    return backgroundPng.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Alpha8);
  }
  QImage alpha(size, QImage::Format_Alpha8);
  alpha.fill(0);
  for (const QRect& rect : shape) {
    const QRect inside = rect.intersected(alpha.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      std::fill_n(alpha.scanLine(y) + inside.left(), inside.width(), uchar{255});
    }
  }
  return alpha;
}

QImage ApplyOutline(const QImage& rendered, const QImage& alpha) {
  QImage result = rendered.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int width = std::min(result.width(), alpha.width());
  const int height = std::min(result.height(), alpha.height());
  for (int y = 0; y < result.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
    const uchar* alphaRow = y < height ? alpha.constScanLine(y) : nullptr;
    for (int x = 0; x < result.width(); ++x) {
      const int a = (alphaRow != nullptr && x < width) ? alphaRow[x] : 0;
      const QRgb pixel = row[x];
      row[x] =
          qRgba(std::min(qRed(pixel), a), std::min(qGreen(pixel), a), std::min(qBlue(pixel), a), a);
    }
  }
  return result;
}
