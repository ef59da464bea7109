#include "skin/qt/image_element.h"

#include <QPainter>
#include <QPixmap>

ImageElement::ImageElement(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setContentsMargins(0, 0, 0, 0);
  setScaledContents(false);
}

void ImageElement::SetPicture(const QImage& picture) {
  m_Picture = picture;
  setPixmap(QPixmap::fromImage(picture));
  if (m_AutoSize) resize(picture.size());
}

QImage ImageElement::RenderPixels(const QImage& picture) const {
  if (width() <= 0 || height() <= 0) return {};
  QImage pixels(width(), height(), QImage::Format_RGB32);
  if (pixels.isNull()) return {};
  pixels.fill(palette().color(backgroundRole()));
  if (!picture.isNull()) {
    QPainter painter(&pixels);
    painter.drawImage(0, 0, picture);
  }
  return pixels;
}
