// corvane-e2e-menu-reference LANGUAGE START CLOSE: a tray menu built with
// the given captions the way the program builds its own, opened at (200,
// 200) on the same display. The tests compare the program's menu on screen
// with this one to read its captions.
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <cstdio>

#include "popups/qt/popup_fonts.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: corvane-e2e-menu-reference LANGUAGE START CLOSE\n");
    return 2;
  }
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication application(argc, argv);
  LoadPopupFonts();

  QMenu menu;
  QMenu* language = menu.addMenu(QString::fromUtf8(argv[1]));
  for (const char* name : {"English", "简体中文", "繁體中文"}) {
    language->addAction(QString::fromUtf8(name))->setCheckable(true);
  }
  menu.addAction(QString::fromUtf8(argv[2]))->setCheckable(true);
  menu.addAction(QString::fromUtf8(argv[3]));
  menu.popup(QPoint(200, 200));
  QTimer::singleShot(300, [] {
    std::puts("shown");
    std::fflush(stdout);
  });
  return QApplication::exec();
}
