#include "popups/wayland_connection.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <memory>

#include "platform/wayland/wayland_session.h"

WaylandSession* SharedWaylandSession() {
  static std::unique_ptr<WaylandSession> session = [] {
    std::unique_ptr<WaylandSession> connected = WaylandSession::Connect();
    if (connected != nullptr && QCoreApplication::instance() != nullptr) {
      auto* notifier = new QSocketNotifier(connected->Fd(), QSocketNotifier::Read,
                                           QCoreApplication::instance());
      WaylandSession* served = connected.get();
      QObject::connect(notifier, &QSocketNotifier::activated, notifier, [served, notifier] {
        if (!served->Dispatch()) notifier->setEnabled(false);
      });
    }
    return connected;
  }();
  return session.get();
}
