// The X11 window manager's view of the foreground window (EWMH): which
// window is active, whether it is full-screen or kept above the others, and
// the property changes that tell when that changes.
//
// Works on a connection it does not own (the toolkit's); every request on a
// window that may be gone is checked, so a vanished window reads as "not
// topmost" instead of raising an X error elsewhere.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>

class X11WindowState {
 public:
  X11WindowState(xcb_connection_t* connection, xcb_window_t root);

  // The window named by _NET_ACTIVE_WINDOW; 0 when unset or none.
  xcb_window_t ActiveWindow() const;

  struct WindowState {
    bool above = false;
    bool fullScreen = false;
  };
  // _NET_WM_STATE of `window`; a window that is gone has neither flag.
  WindowState ReadWindowState(xcb_window_t window) const;

  // A window counts as topmost when it is kept above or full-screen (window
  // managers stack full-screen windows above all others).
  bool IsTopMost(xcb_window_t window) const;
  bool ActiveWindowIsFullScreen() const;

  // Start receiving PropertyNotify for the root window's _NET_ACTIVE_WINDOW
  // and for the given window's _NET_WM_STATE. The event mask is per client
  // and window, so PropertyChangeMask is added to what this client (the
  // toolkit) already selected there, never replacing it.
  void WatchRoot();
  void WatchWindow(xcb_window_t window);

  // True for the property changes after which the full-screen state of the
  // active window must be read again.
  bool IsActiveWindowChange(const xcb_generic_event_t* event) const;
  bool IsWindowStateChange(const xcb_generic_event_t* event) const;

  xcb_connection_t* Connection() const { return m_Connection; }

 private:
  void AddPropertyChangeMask(xcb_window_t window);

  xcb_connection_t* m_Connection;
  xcb_window_t m_Root;
  xcb_atom_t m_NetActiveWindow = XCB_ATOM_NONE;
  xcb_atom_t m_NetWmState = XCB_ATOM_NONE;
  xcb_atom_t m_NetWmStateAbove = XCB_ATOM_NONE;
  xcb_atom_t m_NetWmStateFullscreen = XCB_ATOM_NONE;
};

// Posts only real changes: the first value and every value that differs
// from the last one reported.
class FullScreenChangeFilter {
 public:
  // True when `fullScreen` is to be reported.
  bool Update(bool fullScreen) {
    if (m_Known && m_Last == fullScreen) {
      return false;
    }
    m_Known = true;
    m_Last = fullScreen;
    return true;
  }

 private:
  bool m_Known = false;
  bool m_Last = false;
};
