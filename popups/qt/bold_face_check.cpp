#include "popups/qt/bold_face_check.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QtEndian>
#include <cstring>

namespace {

// Large enough to be drawn from the outlines, not from embedded bitmaps,
// and small enough for the toolkit's own emboldening (below 64 pixels).
constexpr qreal kProbePixelSize = 40.0;
constexpr char kProbeText[] = "HOMEhome";
// A real bold face draws clearly more ink than its regular one; a "bold"
// face within 15% of it has the regular strokes.
constexpr double kHeavierRatio = 1.15;

double InkOf(const QByteArray& face) {
  const QRawFont font(face, kProbePixelSize);
  if (!font.isValid()) return 0.0;
  const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromLatin1(kProbeText));
  const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
  QList<QPointF> positions;
  qreal x = 0;
  for (const QPointF& advance : advances) {
    positions.append(QPointF(x, kProbePixelSize));
    x += advance.x();
  }
  QGlyphRun run;
  run.setRawFont(font);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  QImage image(static_cast<int>(x) + 8, static_cast<int>(kProbePixelSize * 2),
               QImage::Format_Alpha8);
  image.fill(0);
  QPainter painter(&image);
  painter.setPen(Qt::black);
  painter.drawGlyphRun(QPointF(4, 0), run);
  painter.end();
  double ink = 0;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* line = image.constScanLine(y);
    for (int column = 0; column < image.width(); ++column) ink += line[column];
  }
  return ink;
}

// The offset of `tag`'s table of `minLength` bytes or more, or 0 where the
// file has none.
quint32 TableOffset(const QByteArray& face, const char* tag, quint32 minLength) {
  const auto* bytes = reinterpret_cast<const uchar*>(face.constData());
  const auto size = static_cast<quint64>(face.size());
  if (size < 12) return 0;
  const quint16 tables = qFromBigEndian<quint16>(bytes + 4);
  for (quint16 i = 0; i < tables; ++i) {
    const quint64 record = 12 + 16ull * i;
    if (record + 16 > size) return 0;
    if (std::memcmp(bytes + record, tag, 4) != 0) continue;
    const quint32 offset = qFromBigEndian<quint32>(bytes + record + 8);
    const quint32 length = qFromBigEndian<quint32>(bytes + record + 12);
    if (length < minLength || offset + static_cast<quint64>(minLength) > size) return 0;
    return offset;
  }
  return 0;
}

}  // namespace

bool DrawsHeavierThan(const QByteArray& boldFace, const QByteArray& regularFace) {
  const double regular = InkOf(regularFace);
  return regular <= 0 || InkOf(boldFace) > regular * kHeavierRatio;
}

QByteArray AsFaceToEmbolden(QByteArray face) {
  // OS/2: usWeightClass at 4, fsSelection at 62 (bit 5: bold); head:
  // macStyle at 44 (bit 0: bold).
  const quint32 os2 = TableOffset(face, "OS/2", 64);
  const quint32 head = TableOffset(face, "head", 46);
  if (os2 == 0 || head == 0) return face;
  auto* bytes = reinterpret_cast<uchar*>(face.data());
  qToBigEndian<quint16>(600, bytes + os2 + 4);
  qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes + os2 + 62) & ~quint16{0x20},
                        bytes + os2 + 62);
  qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes + head + 44) & ~quint16{0x01},
                        bytes + head + 44);
  return face;
}
