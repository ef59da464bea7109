// Which of Qt's window systems the program asks for, decided at start-up
// from the session itself: nothing the user sets.
//
// In a Wayland session with XWayland the program runs on X11: games run
// there mostly, and the X11 connection follows their full-screen state as
// in an X11 session; the popups are shown through the program's own Wayland
// connection where the compositor offers layer surfaces, and on X11 (where
// mutter places them as asked) where it does not. Without XWayland Qt's
// Wayland platform is the only one there is. A request for Qt's Wayland
// platform (a variable set for the whole desktop) is turned to X11 where the
// compositor offers no layer surfaces: there a Wayland window cannot place
// itself, so the popups would land wherever the compositor puts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct SessionDisplays {
  std::string requestedPlatform;  // QT_QPA_PLATFORM, empty when unset
  bool waylandReachable = false;  // WAYLAND_DISPLAY names a compositor that answers
  bool x11Reachable = false;      // DISPLAY names an X server that answers
  double outputScale = 1.0;       // the compositor's first output's scale
  bool layerShell = false;        // the compositor offers layer surfaces
  // The first output's mode in device pixels and the number of outputs;
  // the X screen's size. 0 where unknown.
  int32_t outputModeWidth = 0;
  int32_t outputModeHeight = 0;
  size_t outputCount = 0;
  int32_t x11ScreenWidth = 0;
  int32_t x11ScreenHeight = 0;
};

// The platform plugin to ask Qt for, or empty to leave the choice as it
// stands (an X11 session, or any other explicit request).
std::string ChooseQtPlatform(const SessionDisplays& displays);

// The pixels per inch Qt is to report for the session's screens, or 0 to
// leave Qt's own value: in a Wayland session, 96 times the output's scale
// (XWayland and Qt's Wayland platform otherwise report 96 whatever the
// scale), so the program's own scaling sees the monitor's density. Where
// the popups are X11 windows on XWayland (no layer surfaces), the density
// is that of XWayland's pixels: a compositor that enlarges X11 windows
// itself (mutter's fractional scaling, where XWayland's screen has the
// output's size in the desktop's units) gets them at 96 dpi, not enlarged
// twice.
int32_t WaylandSessionDpi(const SessionDisplays& displays);

// The session as the environment describes it, probed by connecting.
SessionDisplays ReadSessionDisplays();
