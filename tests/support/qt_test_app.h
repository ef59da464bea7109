// One QApplication for a test executable (offscreen under ctest, or the X
// server of the session the test runs in), made on first use and kept to
// the end: Qt allows one per process.
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
