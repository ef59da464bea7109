#include "skin/qt/qt_window_shape.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <QWidget>
#include <limits>
#include <optional>
#include <vector>

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

// `picture` enlarged to `size`, each target pixel taking the source pixel
// under its centre.
QImage EnlargePixelExactly(const QImage& picture, QSize size) {
  QImage target(size, QImage::Format_RGB32);
  if (target.isNull()) return {};
  const QImage source = picture.convertToFormat(QImage::Format_RGB32);
  std::vector<int32_t> columns(static_cast<size_t>(size.width()));
  for (int x = 0; x < size.width(); ++x)
    columns[static_cast<size_t>(x)] = NearestSourceIndex(x, size.width(), source.width());
  for (int y = 0; y < size.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(
        source.constScanLine(NearestSourceIndex(y, size.height(), source.height())));
    auto* to = reinterpret_cast<QRgb*>(target.scanLine(y));
    for (int x = 0; x < size.width(); ++x) to[x] = from[columns[static_cast<size_t>(x)]];
  }
  return target;
}

QImage OverFill(const QImage& picture, const QColor& fill) {
  QImage canvas(picture.size(), QImage::Format_RGB32);
  if (canvas.isNull()) return {};
  canvas.fill(fill);
  QPainter painter(&canvas);
  painter.drawImage(0, 0, picture);
  return canvas;
}

// The pictures of a file as the window shows them and as its outline is cut
// from them; a null outline is the shown picture itself. `png` is the file
// as decoded when it is a PNG, null otherwise.
struct LoadedPicture {
  QImage shown;
  QImage outline;
  QImage png;
};

std::optional<LoadedPicture> LoadPng(ImageElement& image, const QString& path,
                                     const QWidget* window) {
  const QImage png = ReadImage(path, "png");
  if (png.isNull()) return std::nullopt;
  const float factor = GetWindowScaleFactor(window);
  const PixelSize size = ScaledPictureSize(PixelSize{png.width(), png.height()}, factor);
  ScaledBackground scaled;
  if (size.width > 0 && size.height > 0) {
    scaled = ScalePngBackground(png, factor);
    if (scaled.shown.isNull() || scaled.outline.isNull()) return std::nullopt;  // too large
  }
  image.SetAutoSize(false);
  image.resize(size.width, size.height);
  image.SetPicture(scaled.shown);
  return LoadedPicture{scaled.shown, scaled.outline, png};
}

std::optional<LoadedPicture> LoadPicture(ImageElement& image, const QString& path,
                                         const QWidget* window) {
  if (!IsExistingFile(path)) return std::nullopt;
  if (HasPngExtension(path)) return LoadPng(image, path, window);
  const QImage picture = ReadImage(path, nullptr);
  if (picture.isNull()) return std::nullopt;
  image.SetPicture(picture);
  return LoadedPicture{picture, {}, {}};
}

}  // namespace

bool LoadScaledImage(ImageElement& image, const QString& path, const QWidget* window) {
  return LoadPicture(image, path, window).has_value();
}

ScaledBackground ScalePngBackground(const QImage& png, float factor) {
  const PixelSize size = ScaledPictureSize(PixelSize{png.width(), png.height()}, factor);
  if (png.isNull() || size.width <= 0 || size.height <= 0) return {};
  const QSize target(size.width, size.height);
  const QColor fill = png.hasAlphaChannel() ? Qt::black : Qt::white;
  // Scaled before it is drawn over the fill, so the filter blends colours
  // weighted by their transparency and never mixes in the fill's black.
  const QImage smooth = png.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                            .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (smooth.isNull()) return {};
  ScaledBackground scaled;
  scaled.shown = OverFill(smooth, fill);
  scaled.outline = EnlargePixelExactly(OverFill(png, fill), target);
  return scaled;
}

QRegion RegionFromSortedRects(const std::vector<Rect>& rects) {
  std::vector<QRect> qrects;
  qrects.reserve(rects.size());
  for (const Rect& r : rects)
    qrects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
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

QImage SetWindowShapeFromImage(QWidget* window, ImageElement& image, const QString& path) {
  if (window == nullptr) return {};
  const std::optional<LoadedPicture> loaded = LoadPicture(image, path, window);
  if (!loaded) return {};
  const QImage& outline = loaded->outline.isNull() ? loaded->shown : loaded->outline;
  window->setMask(MaskForShape(WindowShapeRegion(image.RenderPixels(outline))));
  return loaded->png;
}
