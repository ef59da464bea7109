// corvane-icon-writer FOLDER [SIZE...]: writes the program's icon as
// FOLDER/SIZE/corvane-notification.png (128 and 256 by default, for the
// desktop's icon theme; the Windows icon file takes smaller ones too), drawn
// by the same code as the tray icon so that the two never drift apart.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/qt/tray_icon_image.h"

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > 1024) argc = 0;  // refused below
    sizes.push_back(size);
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: corvane-icon-writer FOLDER [SIZE...]\n");
    return 2;
  }
  if (sizes.empty()) sizes = {128, 256};
  // Drawing needs a GUI application object, but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (const int size : sizes) {
    const QString sizeFolder = folder + QStringLiteral("/%1").arg(size);
    const QString path = sizeFolder + QStringLiteral("/corvane-notification.png");
    if (!QDir().mkpath(sizeFolder) || !DrawProgramIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "corvane-icon-writer: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
