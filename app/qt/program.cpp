#include "app/program.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/exception_report.h"
#include "app/qt/MainUnit.h"
#include "app/qt/corvane_application.h"
#include "app/qt/device_log.h"
#include "app/qt/termination_signal.h"
#include "hid/IO_HID.h"
#include "platform/linux/session/display_connection.h"
#include "platform/linux/wayland/platform_choice.h"
#include "platform/session/single_instance.h"
#include "platform/session/system_locale.h"
#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/FORM_RTModeHintDialog.h"
#include "popups/qt/popup_fonts.h"
#include "skin/Language_subroutines.h"
#include "skin/qt/qt_display.h"

int RunProgram(int argc, char** argv, const ProgramSetup& setup) {
  SingleInstanceLock instance("CorvaneNotification");
  switch (instance.Acquire()) {
    case SingleInstanceLock::Result::HeldByAnother:
      return 0;  // another instance runs: leave it alone, show nothing
    case SingleInstanceLock::Result::NotPrivate:
      // Whoever owns that name could keep every start from running.
      std::fprintf(stderr,
                   "CorvaneNotification: not started: the lock file %s %s; remove it, or set "
                   "XDG_RUNTIME_DIR to the user's runtime folder\n",
                   instance.Path().c_str(), instance.Problem().c_str());
      return 1;
    case SingleInstanceLock::Result::Acquired:
    case SingleInstanceLock::Result::Unavailable:
      break;
  }
  // In a Wayland session the program chooses its window system itself.
  const SessionDisplays displays = ReadSessionDisplays();
  if (const std::string platform = ChooseQtPlatform(displays); !platform.empty()) {
    qputenv("QT_QPA_PLATFORM", platform.c_str());
  }
  // The popups' density is the output's scale times 96; XWayland (read
  // through QT_FONT_DPI) and Qt's Wayland platform (QT_WAYLAND_FORCE_DPI)
  // would report 96 at any scale.
  if (const int32_t dpi = WaylandSessionDpi(displays); dpi > 0) {
    const QByteArray value = QByteArray::number(dpi);
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI")) qputenv("QT_FONT_DPI", value);
    if (qEnvironmentVariableIsEmpty("QT_WAYLAND_FORCE_DPI")) qputenv("QT_WAYLAND_FORCE_DPI", value);
  }
  // Without a display Qt would abort the process.
  if (const std::string missing = MissingDisplay(
          argc, argv, {.x11 = displays.x11Reachable, .wayland = displays.waylandReachable});
      !missing.empty()) {
    std::fprintf(stderr, "CorvaneNotification: not started: %s\n", missing.c_str());
    return 1;
  }
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
                   "CorvaneNotification: no system tray is available yet; the icon appears in "
                   "the tray when one starts\n");
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
