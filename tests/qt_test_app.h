// One QApplication for a test executable's widget tests (offscreen).
#pragma once

#include <QApplication>

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "corvane-tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    auto* application = new QApplication(argc, argv);
    application->setQuitOnLastWindowClosed(false);
    return application;
  }();
  return *app;
}
