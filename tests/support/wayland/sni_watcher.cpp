// A StatusNotifierItem watcher that is also its own host, for desktops whose
// tray the tests do not run (Plasma's panel, GNOME's AppIndicator
// extension): items register with it, and it lists them, as a desktop's
// watcher does.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

class StatusNotifierWatcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

 public:
  QStringList RegisteredStatusNotifierItems() const { return m_Items; }
  bool IsStatusNotifierHostRegistered() const { return true; }
  int ProtocolVersion() const { return 0; }

 public Q_SLOTS:
  // An item names its bus name (its object then is /StatusNotifierItem) or
  // its object path (on the caller's unique name).
  void RegisterStatusNotifierItem(const QString& item) {
    const QString entry = item.startsWith(QLatin1Char('/')) ? message().service() + item
                          : item.contains(QLatin1Char('/'))
                              ? item
                              : item + QStringLiteral("/StatusNotifierItem");
    if (!m_Items.contains(entry)) m_Items.append(entry);
    Q_EMIT StatusNotifierItemRegistered(entry);
  }
  void RegisterStatusNotifierHost(const QString&) {}

 Q_SIGNALS:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  QStringList m_Items;
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  StatusNotifierWatcher watcher;
  if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                              QDBusConnection::ExportAllProperties) ||
      !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
    return 1;
  }
  return QCoreApplication::exec();
}

#include "sni_watcher.moc"
