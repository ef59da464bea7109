#include "popups/qt/popup_fonts.h"

#include <QFile>
#include <QFontDatabase>

#include "popups/qt/bold_face_check.h"

namespace {

QByteArray ReadFace(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace

int LoadPopupFonts(const QString& folder) {
  const QByteArray regular = ReadFace(folder + QLatin1String("tahoma.ttf"));
  QByteArray bold = ReadFace(folder + QLatin1String("tahomabd.ttf"));
  // A bold face with the regular face's strokes is emboldened by the
  // toolkit instead, at its own (bold) advance widths.
  if (!regular.isEmpty() && !bold.isEmpty() && !DrawsHeavierThan(bold, regular))
    bold = AsFaceToEmbolden(std::move(bold));
  int added = 0;
  for (const QByteArray& face : {regular, bold}) {
    if (!face.isEmpty() && QFontDatabase::addApplicationFontFromData(face) >= 0) ++added;
  }
  return added;
}
