// Stands in for the shell's full-screen notifications: follows the active
// window and its _NET_WM_STATE on the toolkit's X connection and posts
// UM_APPBAR (ABN_FULLSCREENAPP, lParam 1 or 0) when the active window
// becomes full-screen or stops being so.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <memory>

#include "platform/message.h"
#include "platform/session/x11_window_state.h"

class FullScreenWatcher : public QObject, public QAbstractNativeEventFilter {
 public:
  // nullptr without an X11 connection (offscreen, Wayland without XWayland).
  static std::unique_ptr<FullScreenWatcher> Create(MessagePoster& poster);
  ~FullScreenWatcher() override;

  const X11WindowState& State() const { return m_State; }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  FullScreenWatcher(xcb_connection_t* connection, xcb_window_t root, MessagePoster& poster);
  void Evaluate();

  X11WindowState m_State;
  MessagePoster& m_Poster;
  // Window managers set _NET_ACTIVE_WINDOW to 0 for a moment between two
  // windows and write _NET_WM_STATE twice; the state is read once the burst
  // of changes has settled.
  QTimer m_Settle;
  FullScreenChangeFilter m_Filter;
  xcb_window_t m_WatchedWindow = 0;
};
