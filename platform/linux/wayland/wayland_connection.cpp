#include "platform/linux/wayland/wayland_connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <memory>

#include "platform/linux/wayland/wayland_session.h"

namespace {

// Only the window systems of a desktop session; an offscreen program (the
// tests') shows nothing on the compositor even when one is running.
bool OnDesktopPlatform() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

}  // namespace

WaylandSession* SharedWaylandSession() {
  static std::unique_ptr<WaylandSession> session = []() -> std::unique_ptr<WaylandSession> {
    if (!OnDesktopPlatform()) return nullptr;
    std::unique_ptr<WaylandSession> connected = WaylandSession::Connect();
    if (connected != nullptr && QCoreApplication::instance() != nullptr) {
      auto* notifier =
          new QSocketNotifier(connected->Fd(), QSocketNotifier::Read, QCoreApplication::instance());
      WaylandSession* served = connected.get();
      QObject::connect(notifier, &QSocketNotifier::activated, notifier, [served, notifier] {
        if (!served->Dispatch()) notifier->setEnabled(false);
      });
    }
    return connected;
  }();
  return session.get();
}
