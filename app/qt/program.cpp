#include "app/program.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/exception_report.h"
#include "app/qt/MainUnit.h"
#include "app/qt/corvane_application.h"
#include "app/qt/device_log.h"
#include "app/qt/display_platform.h"
#include "app/qt/termination_signal.h"
#include "hid/IO_HID.h"
#include "platform/program_name.h"
#include "platform/session/single_instance.h"
#include "platform/session/system_locale.h"
#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/FORM_RTModeHintDialog.h"
#include "popups/qt/popup_fonts.h"
#include "skin/Language_subroutines.h"
#include "skin/qt/qt_display.h"

namespace {

void SetEnvironment(const std::vector<EnvironmentSetting>& settings) {
  for (const EnvironmentSetting& setting : settings) {
    if (setting.userValueStands && !qEnvironmentVariableIsEmpty(setting.name.c_str())) continue;
    qputenv(setting.name.c_str(), QByteArray::fromStdString(setting.value));
  }
}

// The start-up once the window system is chosen, the same on every one.
int StartProgram(int argc, char** argv, const ProgramSetup& setup) {
  // The program scales its windows itself by the monitor's dpi / 96; Qt's
  // own scaling would apply the factor a second time.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // With several monitors Qt on X11 takes each monitor's whole area as its
  // work area, so a popup would cover a panel at the primary monitor's
  // bottom; told to, it cuts the window manager's work area out of it.
  if (!qEnvironmentVariableIsSet("QT_RELY_ON_NET_WORKAREA_ATOM")) {
    qputenv("QT_RELY_ON_NET_WORKAREA_ATOM", "1");
  }
  SetSystemLanguageIdSource(&SystemDefaultLanguageId);
  RouteDeviceFailuresToLog();

  // The main window while it lives; a termination signal closes it as the
  // tray menu's Close does. Before it exists and after it has gone (an error
  // box on screen) the signal ends every event loop, so that the program
  // ends, and frees its lock, in every phase.
  QPointer<TMainForm> signalTarget;
  std::unique_ptr<CorvaneApplication> application;
  try {
    application = std::make_unique<CorvaneApplication>(argc, argv);
    CloseOnTerminationSignal(application.get(), [&signalTarget] {
      if (signalTarget != nullptr) {
        signalTarget->N1Click();
      } else {
        QCoreApplication::exit(0);
      }
    });
    if (setup.makeBackend) {
      HidSetBackend(setup.makeBackend());
    }
    TMainForm mainForm;
    signalTarget = &mainForm;
    // Without a tray host the program would run unseen and unexplained; Qt
    // shows the icon by itself once a host starts.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
      std::fprintf(stderr,
                   "%s: no system tray is available yet; the icon appears in the tray when one "
                   "starts\n",
                   kProgramName);
    }
    // The popups scale their skins by their monitor's density and use the
    // Tahoma face where one is available.
    InstallQtDisplayStateSource();
    LoadPopupFonts();
    TformLTKeyHintDialog formLTKeyHintDialog;
    TformRTModeHintDialog formRTModeHintDialog;
    mainForm.SetHintPopups(
        {[&formLTKeyHintDialog](const QString& title, const QString& text) {
           formLTKeyHintDialog.ShowHintText(title, text);
         },
         [&formRTModeHintDialog](uint32_t mode, const QString& title, const QString& text) {
           formRTModeHintDialog.ShowHintText(mode, title, text);
         }});
    const ProgramEndingNotice ending(setup);
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

}  // namespace

int RunProgram(int argc, char** argv, const ProgramSetup& setup) {
  SingleInstanceLock instance(kProgramName);
  switch (instance.Acquire()) {
    case SingleInstanceLock::Result::HeldByAnother:
      return 0;  // another instance runs: leave it alone, show nothing
    case SingleInstanceLock::Result::NotPrivate:
      // Whoever owns that name could keep every start from running.
      std::fprintf(stderr,
                   "%s: not started: the lock file %s %s; remove it, or set XDG_RUNTIME_DIR to "
                   "the user's runtime folder\n",
                   kProgramName, instance.Path().c_str(), instance.Problem().c_str());
      return 1;
    case SingleInstanceLock::Result::Acquired:
    case SingleInstanceLock::Result::Unavailable:
      break;
  }
  // In a Wayland session the program chooses its window system itself.
  const DisplayPlatform platform = ChooseDisplayPlatform(ReadStartingSession(argc, argv));
  if (!platform.missingDisplay.empty()) {
    std::fprintf(stderr, "%s: not started: %s\n", kProgramName, platform.missingDisplay.c_str());
    return 1;
  }
  SetEnvironment(platform.environment);
  return StartProgram(argc, argv, setup);
}
