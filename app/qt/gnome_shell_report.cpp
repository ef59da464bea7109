#include "app/qt/gnome_shell_report.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <cstdlib>

#include "platform/linux/session/gnome_shell_extension.h"

Q_LOGGING_CATEGORY(lcSession, "corvane.session", QtInfoMsg)

namespace ext = gnome_shell_extension;

namespace {

QString Latin(const char* text) { return QString::fromLatin1(text); }

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

GnomeShellReport::GnomeShellReport(std::function<void()> changed) : m_Changed(std::move(changed)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  auto* watcher = new QDBusServiceWatcher(Latin(ext::kBusName), bus,
                                          QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { Appeared(); });
  connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { Vanished(); });
  // Subscribed for good: the bus delivers the signal only while the
  // extension's name has an owner, whichever owner it is.
  bus.connect(Latin(ext::kBusName), Latin(ext::kObjectPath),
              QStringLiteral("org.freedesktop.DBus.Properties"),
              QStringLiteral("PropertiesChanged"), this,
              SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
  if (bus.interface()->isServiceRegistered(Latin(ext::kBusName))) {
    Appeared();
  } else if (ext::IsGnomeWaylandSession(Variable("XDG_CURRENT_DESKTOP"),
                                        Variable("WAYLAND_DISPLAY"))) {
    qCDebug(lcSession,
            "Wayland-native full-screen windows are seen on GNOME only with the "
            "GNOME Shell extension: gnome-extensions enable %s",
            ext::kUuid);
  }
}

GnomeShellReport::~GnomeShellReport() = default;

void GnomeShellReport::Appeared() {
  Set(true, false);
  ReadProperty();
}

void GnomeShellReport::Vanished() { Set(false, false); }

void GnomeShellReport::ReadProperty() {
  QDBusMessage get = QDBusMessage::createMethodCall(
      Latin(ext::kBusName), Latin(ext::kObjectPath),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << Latin(ext::kInterface) << Latin(ext::kFullScreenProperty);
  // Asked without waiting: the answer comes through the event loop.
  auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    const QDBusPendingReply<QDBusVariant> reply = *done;
    done->deleteLater();
    if (reply.isValid() && m_Present) Set(true, reply.value().variant().toBool());
  });
}

void GnomeShellReport::OnPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                           const QStringList& invalidated) {
  if (interfaceName != Latin(ext::kInterface)) return;
  const QString property = Latin(ext::kFullScreenProperty);
  if (changed.contains(property)) {
    Set(true, changed.value(property).toBool());
  } else if (invalidated.contains(property)) {
    ReadProperty();
  }
}

void GnomeShellReport::Set(bool present, bool fullScreen) {
  if (present == m_Present && fullScreen == m_FullScreen) return;
  m_Present = present;
  m_FullScreen = fullScreen;
  if (m_Changed) m_Changed();
}
