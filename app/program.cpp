#include "app/program.h"

#include <QTimer>
#include <memory>

#include "app/MainUnit.h"
#include "app/corvane_application.h"
#include "app/exception_report.h"
#include "hid/IO_HID.h"
#include "platform/session/single_instance.h"
#include "platform/session/system_locale.h"
#include "skin/Language_subroutines.h"

int RunProgram(int argc, char** argv, const ProgramSetup& setup) {
  SingleInstanceLock instance("CorvaneNotification");
  if (instance.Acquire() == SingleInstanceLock::Result::HeldByAnother) {
    return 0;  // another instance runs: leave it alone, show nothing
  }
  // The program scales its windows itself by the monitor's dpi / 96; Qt's
  // own scaling would apply the factor a second time.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  SetSystemLanguageIdSource(&SystemDefaultLanguageId);

  std::unique_ptr<CorvaneApplication> application;
  try {
    application = std::make_unique<CorvaneApplication>(argc, argv);
    if (setup.makeBackend) {
      HidSetBackend(setup.makeBackend());
    }
    TMainForm mainForm;
    if (setup.started) {
      setup.started(mainForm);
    }
    // When the loop starts it shows the main window, minimized, once.
    QTimer::singleShot(0, &mainForm, [&mainForm] { mainForm.showMinimized(); });
    CorvaneApplication::exec();
  } catch (...) {
    ShowExceptionReport(std::current_exception());
  }
  return 0;
}
