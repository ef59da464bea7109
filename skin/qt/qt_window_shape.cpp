#include "skin/qt/qt_window_shape.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <QWidget>

#include <limits>

#include "skin/Skin_windowshape.h"
#include "skin/qt/image_element.h"
#include "skin/qt/qt_display.h"

namespace {

bool IsExistingFile(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && info.isFile();
}

// Only the exact lower-case extension counts: "X.PNG" is shown unscaled.
bool HasPngExtension(const QString& path) {
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  return dot >= 0 && QStringView(path).mid(dot) == QLatin1String(".png");
}

QImage ReadImage(const QString& path, const char* format) {
  QImageReader reader(path, format);
  return reader.read();
}

bool LoadScaledPng(ImageElement& image, const QString& path, const QWidget* window) {
  const QImage png = ReadImage(path, "png");
  if (png.isNull()) return false;
  const PixelSize size = ScaledPictureSize(PixelSize{png.width(), png.height()},
                                           GetWindowScaleFactor(window));
  QImage canvas;
  if (size.width > 0 && size.height > 0) {
    canvas = QImage(size.width, size.height, QImage::Format_RGB32);
    if (canvas.isNull()) return false;  // too large to allocate
    canvas.fill(png.hasAlphaChannel() ? Qt::black : Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(QRect(0, 0, size.width, size.height), png);
  }
  image.SetAutoSize(false);
  image.resize(size.width, size.height);
  image.SetPicture(canvas);
  return true;
}

}  // namespace

bool LoadScaledImage(ImageElement& image, const QString& path, const QWidget* window) {
  if (!IsExistingFile(path)) return false;
  if (HasPngExtension(path)) return LoadScaledPng(image, path, window);
  const QImage picture = ReadImage(path, nullptr);
  if (picture.isNull()) return false;
  image.SetPicture(picture);
  return true;
}

QRegion RegionFromSortedRects(const std::vector<Rect>& rects) {
  std::vector<QRect> qrects;
  qrects.reserve(rects.size());
  for (const Rect& r : rects) qrects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
  QRegion region;
  if (qrects.empty()) return region;
  if (qrects.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return region;
  region.setRects(qrects.data(), static_cast<int>(qrects.size()));
  return region;
}

QRegion WindowShapeRegion(const QImage& pixels) {
  const QImage rgb = pixels.convertToFormat(QImage::Format_RGB888);
  PixelView view;
  view.data = rgb.constBits();
  view.width = rgb.width();
  view.height = rgb.height();
  view.bytesPerLine = static_cast<size_t>(rgb.bytesPerLine());
  view.bytesPerPixel = 3;
  return RegionFromSortedRects(CoalesceRowBands(BuildWindowShapeRuns(view)));
}

QRegion MaskForShape(const QRegion& region) {
  if (!region.isEmpty()) return region;
  return QRegion(-1, -1, 1, 1);
}

void SetWindowShapeFromImage(QWidget* window, ImageElement& image, const QString& path) {
  if (window == nullptr) return;
  if (!LoadScaledImage(image, path, window)) return;
  window->setMask(MaskForShape(WindowShapeRegion(image.RenderPixels())));
}
