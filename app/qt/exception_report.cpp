#include "app/exception_report.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <stdexcept>

#include "platform/program_name.h"

void ShowExceptionReport(const std::exception_ptr& error) {
  QString text;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    text = QString::fromUtf8(e.what());
  } catch (...) {
    // Any other thrown object is reported as an exception with no message.
  }
  std::fprintf(stderr, "%s: %s\n", kProgramName, qUtf8Printable(text));
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
      QGuiApplication::platformName() != QLatin1String("offscreen")) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kProgramName), text);
  }
}

void RunReportingExceptions(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ShowExceptionReport(std::current_exception());
  }
}
