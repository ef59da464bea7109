// Stands in for the shell's full-screen notifications: posts UM_APPBAR
// (ABN_FULLSCREENAPP, lParam 1 or 0) when the window that has the focus
// becomes full-screen or stops being so. Three sources, each where the
// session has it: the active window and its _NET_WM_STATE on the toolkit's X
// connection (an X11 session, and X11 windows under XWayland), the
// compositor's report of its toplevels on a Wayland session (wlroots
// compositors and KWin), and on GNOME, which reports none, the program's
// GNOME Shell extension over the session bus.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <memory>

#include "platform/linux/session/x11_window_state.h"
#include "platform/message.h"

class GnomeShellReport;
class ToplevelWatch;

class FullScreenWatcher : public QObject, public QAbstractNativeEventFilter {
 public:
  // nullptr when the session offers no source (offscreen without a session
  // bus, a compositor that reports no toplevels and no XWayland).
  static std::unique_ptr<FullScreenWatcher> Create(MessagePoster& poster);
  ~FullScreenWatcher() override;

  // The X11 side; null without an X11 connection.
  const X11WindowState* X11State() const { return m_X11.get(); }

  // The foreground window counts as topmost when the X11 active window is
  // kept above or full-screen, or the compositor's focused toplevel is
  // full-screen (compositors stack full-screen windows above all others).
  bool ForegroundIsTopMost() const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  FullScreenWatcher(std::unique_ptr<X11WindowState> x11, MessagePoster& poster);
  void Evaluate();
  bool X11ActiveIsFullScreen();
  bool WaylandActiveIsFullScreen() const;
  bool GnomeShellReportsFullScreen() const;

  std::unique_ptr<X11WindowState> m_X11;
  std::unique_ptr<ToplevelWatch> m_Toplevels;
  std::unique_ptr<GnomeShellReport> m_GnomeShell;
  MessagePoster& m_Poster;
  // Window managers set _NET_ACTIVE_WINDOW to 0 for a moment between two
  // windows and write _NET_WM_STATE twice, and a focus change reaches the
  // toplevels one by one; the state is read once the burst has settled.
  QTimer m_Settle;
  FullScreenChangeFilter m_Filter;
  xcb_window_t m_WatchedWindow = 0;
};
