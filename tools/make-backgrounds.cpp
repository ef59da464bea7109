// Draws the popups' background pictures: 247 x 136 at 96 dpi, a dark
// rounded panel with an emblem above the two text lines.
//
//   corvane-make-backgrounds <data folder>
//
// writes <data folder>/LTKeyHint/English/LTKeyHint_Background.png and
// <data folder>/RTModeHint/English/RTModeHint_Background.png.
//
// The program cuts each popup to the picture's outline with the top-left
// pixel's colour as key, after drawing the picture over black. So the
// corners must be fully transparent, and no opaque pixel inside may come
// out as pure black, or it would become a hole; the panel's darkest colour
// stays well above black for that reason. The program enlarges the picture
// smoothly at 125 %, 150 % and 200 %, but cuts the outline from its
// pixel-by-pixel enlargement, so the corners are kept large and simple.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kWidth = 247;
constexpr int kHeight = 136;
constexpr qreal kCornerRadius = 12.0;

const QColor kPanelTop(44, 49, 60);
const QColor kPanelBottom(26, 29, 36);
const QColor kRim(70, 78, 94);
const QColor kAccent(64, 200, 214);
const QColor kEmblem(214, 222, 232);

QPainterPath RoundedRect(const QRectF& rect, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

void DrawPanel(QPainter& painter) {
  const QRectF panel(0.5, 0.5, kWidth - 1.0, kHeight - 1.0);
  QLinearGradient fill(0, 0, 0, kHeight);
  fill.setColorAt(0.0, kPanelTop);
  fill.setColorAt(1.0, kPanelBottom);
  painter.setPen(QPen(kRim, 1.0));
  painter.setBrush(fill);
  painter.drawPath(RoundedRect(panel, kCornerRadius));

  // A soft glow behind the emblem.
  QRadialGradient glow(QPointF(kWidth / 2.0, 36), 70);
  glow.setColorAt(0.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 46));
  glow.setColorAt(1.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawPath(RoundedRect(panel.adjusted(1, 1, -1, -1), kCornerRadius - 1));

  // The accent rule between the emblem and the title, fading at both ends.
  QLinearGradient rule(kWidth / 2.0 - 70, 0, kWidth / 2.0 + 70, 0);
  rule.setColorAt(0.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
  rule.setColorAt(0.5, kAccent);
  rule.setColorAt(1.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
  painter.setBrush(rule);
  painter.drawRoundedRect(QRectF(kWidth / 2.0 - 70, 70, 140, 2), 1, 1);
}

// A keycap seen from above: the cap's rim and its dished top face.
void DrawKeycap(QPainter& painter, const QRectF& cap) {
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kEmblem, 2.0));
  painter.drawRoundedRect(cap, 7, 7);
  const QRectF face = cap.adjusted(7, 5, -7, -10);
  painter.setPen(QPen(kAccent, 2.0));
  painter.drawRoundedRect(face, 4, 4);
}

// LT key: one keycap with a layer mark (two stacked chevrons) on its face.
void DrawLtEmblem(QPainter& painter) {
  const QRectF cap(kWidth / 2.0 - 24, 14, 48, 46);
  DrawKeycap(painter, cap);
  painter.setPen(QPen(kEmblem, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const qreal cx = cap.center().x();
  for (const qreal y : {27.0, 34.0}) {
    const QPointF chevron[] = {{cx - 8, y + 5}, {cx, y}, {cx + 8, y + 5}};
    painter.drawPolyline(chevron, 3);
  }
}

// RT mode: a keycap pressed a short way, with the actuation marks beside it.
void DrawRtEmblem(QPainter& painter) {
  const QRectF cap(kWidth / 2.0 - 24, 14, 48, 46);
  DrawKeycap(painter, cap);
  painter.setPen(QPen(kEmblem, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const qreal cx = cap.center().x();
  painter.drawLine(QPointF(cx, 24), QPointF(cx, 38));
  const QPointF arrow[] = {{cx - 6, 32}, {cx, 38}, {cx + 6, 32}};
  painter.drawPolyline(arrow, 3);
  painter.setPen(QPen(kAccent, 2.0, Qt::SolidLine, Qt::RoundCap));
  for (const qreal y : {22.0, 30.0, 38.0, 46.0}) {
    const qreal reach = y == 30.0 || y == 38.0 ? 12 : 7;
    painter.drawLine(QPointF(cap.left() - 8 - reach, y), QPointF(cap.left() - 8, y));
    painter.drawLine(QPointF(cap.right() + 8, y), QPointF(cap.right() + 8 + reach, y));
  }
}

QImage Draw(void (*emblem)(QPainter&)) {
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawPanel(painter);
  emblem(painter);
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

// The checks the window shape relies on, on the picture as the program
// draws it over black.
bool ShapesCleanly(const QImage& image, const char* name) {
  if (qAlpha(image.pixel(0, 0)) != 0) {
    std::fprintf(stderr, "%s: the top-left pixel is not fully transparent\n", name);
    return false;
  }
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      if (qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) == 0) {
        std::fprintf(stderr, "%s: opaque black pixel at %d,%d\n", name, x, y);
        return false;
      }
    }
  }
  return true;
}

bool Write(const QImage& image, const QString& dataFolder, const QString& popup) {
  const QString folder = dataFolder + "/" + popup + "/English";
  const QString path = folder + "/" + popup + "_Background.png";
  const QByteArray name = path.toLocal8Bit();
  if (!ShapesCleanly(image, name.constData())) return false;
  if (!QDir().mkpath(folder) || !image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", name.constData());
    return false;
  }
  std::printf("%s\n", name.constData());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString dataFolder = QString::fromLocal8Bit(argv[1]);
  const bool ok = Write(Draw(DrawLtEmblem), dataFolder, QStringLiteral("LTKeyHint")) &&
                  Write(Draw(DrawRtEmblem), dataFolder, QStringLiteral("RTModeHint"));
  return ok ? 0 : 1;
}
