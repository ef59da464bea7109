// The compositor's own report of its toplevel windows, for the full-screen
// rule: whether the window that has the focus is full-screen. wlroots
// compositors report it through the foreign-toplevel protocol, KWin through
// its window-management protocol; both cover the X11 windows that XWayland
// shows as well. Other compositors (GNOME) report nothing: no watch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class WaylandSession;

// What one toplevel reported last.
struct ToplevelState {
  bool activated = false;
  bool fullScreen = false;
};

class ToplevelWatch {
 public:
  virtual ~ToplevelWatch() = default;
  // True when a toplevel has the focus and is full-screen.
  virtual bool ActiveIsFullScreen() const = 0;

  // Null when the compositor offers neither protocol. `changed` runs after
  // each consistent update of any toplevel's state.
  static std::unique_ptr<ToplevelWatch> Create(WaylandSession& session,
                                               std::function<void()> changed);
};

// Decoders of the two protocols' state reports, kept apart for their tests.
// The foreign-toplevel state array: 32-bit values, 2 activated, 3 full-screen.
ToplevelState ForeignToplevelState(const uint32_t* values, size_t count);
// KWin's state bits: 1 << 0 active, 1 << 3 full-screen.
ToplevelState PlasmaWindowState(uint32_t flags);
