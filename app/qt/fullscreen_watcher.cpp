#include "app/qt/fullscreen_watcher.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include "app/qt/gnome_shell_report.h"
#include "platform/linux/wayland/toplevel_watch.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_session.h"

namespace {
constexpr int kSettleMilliseconds = 40;

std::unique_ptr<X11WindowState> ToolkitX11State() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr) return nullptr;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (screen == nullptr) return nullptr;
  return std::make_unique<X11WindowState>(connection, screen->root);
}

}  // namespace

std::unique_ptr<FullScreenWatcher> FullScreenWatcher::Create(MessagePoster& poster) {
  std::unique_ptr<FullScreenWatcher> watcher(new FullScreenWatcher(ToolkitX11State(), poster));
  if (watcher->m_X11 == nullptr && watcher->m_Toplevels == nullptr &&
      watcher->m_GnomeShell == nullptr)
    return nullptr;
  watcher->Evaluate();
  return watcher;
}

FullScreenWatcher::FullScreenWatcher(std::unique_ptr<X11WindowState> x11, MessagePoster& poster)
    : m_X11(std::move(x11)), m_Poster(poster) {
  m_Filter.Update(false);  // the main window starts with no full-screen application
  m_Settle.setSingleShot(true);
  m_Settle.setInterval(kSettleMilliseconds);
  QObject::connect(&m_Settle, &QTimer::timeout, this, [this] { Evaluate(); });
  if (m_X11 != nullptr) {
    m_X11->WatchRoot();
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  if (WaylandSession* wayland = SharedWaylandSession(); wayland != nullptr) {
    m_Toplevels = ToplevelWatch::Create(*wayland, [this] { m_Settle.start(); });
    // A compositor that reports no toplevels (GNOME's): the program's
    // extension stands for the Wayland-native windows where it is enabled;
    // X11 windows stay with the X11 side.
    if (m_Toplevels == nullptr) {
      m_GnomeShell = std::make_unique<GnomeShellReport>([this] { m_Settle.start(); });
    }
  }
}

FullScreenWatcher::~FullScreenWatcher() {
  if (m_X11 != nullptr && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
}

bool FullScreenWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") {
    return false;
  }
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if (m_X11->IsActiveWindowChange(event) || m_X11->IsWindowStateChange(event)) {
    m_Settle.start();
  }
  return false;  // the toolkit still sees every event
}

bool FullScreenWatcher::X11ActiveIsFullScreen() {
  if (m_X11 == nullptr) return false;
  const xcb_window_t active = m_X11->ActiveWindow();
  if (active != 0 && active != m_WatchedWindow) {
    m_X11->WatchWindow(active);
    m_WatchedWindow = active;
  }
  return m_X11->ReadWindowState(active).fullScreen;
}

bool FullScreenWatcher::WaylandActiveIsFullScreen() const {
  return m_Toplevels != nullptr && m_Toplevels->ActiveIsFullScreen();
}

bool FullScreenWatcher::GnomeShellReportsFullScreen() const {
  return m_GnomeShell != nullptr && m_GnomeShell->PrimaryMonitorFullScreen();
}

void FullScreenWatcher::Evaluate() {
  const bool fullScreen =
      X11ActiveIsFullScreen() || WaylandActiveIsFullScreen() || GnomeShellReportsFullScreen();
  if (m_Filter.Update(fullScreen)) {
    m_Poster.Post(Message{UM_APPBAR, ABN_FULLSCREENAPP, fullScreen ? 1 : 0, 0, nullptr});
  }
}

bool FullScreenWatcher::ForegroundIsTopMost() const {
  if (m_X11 != nullptr && m_X11->IsTopMost(m_X11->ActiveWindow())) return true;
  return WaylandActiveIsFullScreen() || GnomeShellReportsFullScreen();
}
