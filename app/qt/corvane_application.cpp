#include "app/qt/corvane_application.h"

#include "app/exception_report.h"
#include "platform/program_name.h"

CorvaneApplication::CorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromLatin1(kProgramName));
  setDesktopFileName(QStringLiteral("corvane-notification"));
  // The popups come and go and the main window is never shown: only Close
  // ends the program.
  setQuitOnLastWindowClosed(false);
}

bool CorvaneApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowExceptionReport(std::current_exception());
    return false;
  }
}
