// corvane-icon-writer FOLDER: writes the program's icon as FOLDER/SIZE/
// corvane-notification.png for the desktop's icon theme, drawn by the same
// code as the tray icon so that the two never drift apart.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/tray_icon_image.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: corvane-icon-writer FOLDER\n");
    return 2;
  }
  // Drawing needs a GUI application object, but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (const int size : {128, 256}) {
    const QString sizeFolder = folder + QStringLiteral("/%1").arg(size);
    const QString path = sizeFolder + QStringLiteral("/corvane-notification.png");
    if (!QDir().mkpath(sizeFolder) || !DrawProgramIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "corvane-icon-writer: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
