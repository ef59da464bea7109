// The full-screen report of the program's GNOME Shell extension, read over
// the session bus: whether a window is full screen on the primary monitor.
// The extension's bus name is watched as it comes and goes (the user may
// enable it, or the shell restart, while the program runs); while it is
// away the report is "not full screen".
#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

class GnomeShellReport : public QObject {
  Q_OBJECT

 public:
  // `changed` is called whenever the report may have changed. Without a
  // session bus nothing is ever reported.
  explicit GnomeShellReport(std::function<void()> changed);
  ~GnomeShellReport() override;

  bool Present() const { return m_Present; }
  bool PrimaryMonitorFullScreen() const { return m_Present && m_FullScreen; }

 private slots:
  void OnPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                           const QStringList& invalidated);

 private:
  void Appeared();
  void Vanished();
  void ReadProperty();
  void Set(bool present, bool fullScreen);

  std::function<void()> m_Changed;
  bool m_Present = false;
  bool m_FullScreen = false;
};
