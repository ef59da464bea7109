#include "app/qt/tray_icon_image.h"

#include <QPainter>
#include <QPainterPath>

QImage DrawProgramIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;

  // The keycap: a rounded square seen slightly from above.
  const QRectF cap(s * 0.08, s * 0.14, s * 0.76, s * 0.76);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x26, 0x2b, 0x33));
  painter.drawRoundedRect(cap, s * 0.16, s * 0.16);
  const QRectF top = cap.adjusted(s * 0.09, s * 0.07, -s * 0.09, -s * 0.14);
  QLinearGradient shine(top.topLeft(), top.bottomLeft());
  shine.setColorAt(0, QColor(0x5b, 0x66, 0x75));
  shine.setColorAt(1, QColor(0x3a, 0x42, 0x4e));
  painter.setBrush(shine);
  painter.drawRoundedRect(top, s * 0.1, s * 0.1);

  // A mode bar on the cap.
  painter.setBrush(QColor(0x8f, 0xd3, 0xff));
  painter.drawRoundedRect(QRectF(top.left() + top.width() * 0.22, top.center().y() - s * 0.04,
                                 top.width() * 0.56, s * 0.08),
                          s * 0.04, s * 0.04);

  // The notification dot.
  painter.setBrush(QColor(0xff, 0x8a, 0x1f));
  painter.setPen(QPen(QColor(0x1b, 0x1f, 0x24), s * 0.04));
  painter.drawEllipse(QPointF(s * 0.8, s * 0.2), s * 0.17, s * 0.17);
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
  }
  return icon;
}
