#include "app/fullscreen_watcher.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {
constexpr int kSettleMilliseconds = 40;
}

std::unique_ptr<FullScreenWatcher> FullScreenWatcher::Create(MessagePoster& poster) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr) {
    return nullptr;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (screen == nullptr) {
    return nullptr;
  }
  return std::unique_ptr<FullScreenWatcher>(new FullScreenWatcher(connection, screen->root, poster));
}

FullScreenWatcher::FullScreenWatcher(xcb_connection_t* connection, xcb_window_t root,
                                     MessagePoster& poster)
    : m_State(connection, root), m_Poster(poster) {
  m_Filter.Update(false);  // the main window starts with no full-screen application
  m_Settle.setSingleShot(true);
  m_Settle.setInterval(kSettleMilliseconds);
  QObject::connect(&m_Settle, &QTimer::timeout, this, [this] { Evaluate(); });
  m_State.WatchRoot();
  QCoreApplication::instance()->installNativeEventFilter(this);
  Evaluate();
}

FullScreenWatcher::~FullScreenWatcher() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
}

bool FullScreenWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") {
    return false;
  }
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if (m_State.IsActiveWindowChange(event) || m_State.IsWindowStateChange(event)) {
    m_Settle.start();
  }
  return false;  // the toolkit still sees every event
}

void FullScreenWatcher::Evaluate() {
  const xcb_window_t active = m_State.ActiveWindow();
  if (active != 0 && active != m_WatchedWindow) {
    m_State.WatchWindow(active);
    m_WatchedWindow = active;
  }
  const bool fullScreen = m_State.ReadWindowState(active).fullScreen;
  if (m_Filter.Update(fullScreen)) {
    m_Poster.Post(Message{UM_APPBAR, ABN_FULLSCREENAPP, fullScreen ? 1 : 0, 0, nullptr});
  }
}
