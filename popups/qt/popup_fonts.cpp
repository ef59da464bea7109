#include "popups/qt/popup_fonts.h"

#include <QFileInfo>
#include <QFontDatabase>

int LoadPopupFonts(const QString& folder) {
  int added = 0;
  for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
    const QString path = folder + QLatin1String(file);
    if (!QFileInfo(path).isFile()) continue;
    if (QFontDatabase::addApplicationFont(path) >= 0) ++added;
  }
  return added;
}
