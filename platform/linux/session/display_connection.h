// Whether the window system Qt is about to open is there at all. Qt ends the
// process with abort() when no platform plugin can start, so the program
// asks first and can say in one line what is missing.
#pragma once

#include <string>

struct ReachableDisplays {
  bool x11 = false;
  bool wayland = false;
};

// What Qt is about to be asked for, and which display servers answered when
// the session was read.
struct DisplayRequest {
  std::string qtPlatform;           // QT_QPA_PLATFORM as Qt will read it, empty when unset
  bool commandLineChooses = false;  // the command line picks the platform or display
  std::string display;              // DISPLAY, empty when unset
  std::string waylandDisplay;       // WAYLAND_DISPLAY, empty when unset
  ReachableDisplays reachable;
};

// Empty when a display can be reached, or the platform chosen through
// QT_QPA_PLATFORM (offscreen, for one) needs none, or the command line picks
// the platform or display itself; otherwise what is missing, as one line.
std::string MissingDisplay(const DisplayRequest& request);

// Whether the arguments hold Qt's -platform or -display option.
bool CommandLineChoosesDisplay(int argc, char** argv);
