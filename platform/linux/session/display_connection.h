// Whether the window system Qt is about to open is there at all. Qt ends the
// process with abort() when no platform plugin can start, so the program
// asks first and can say in one line what is missing.
#pragma once

#include <string>

// Empty when a display can be reached, or the platform chosen through
// QT_QPA_PLATFORM (offscreen, for one) needs none, or the command line picks
// the platform or display itself; otherwise what is missing, as one line.
// `reachable` says which display servers answered when the session was read.
struct ReachableDisplays {
  bool x11 = false;
  bool wayland = false;
};
std::string MissingDisplay(int argc, char** argv, const ReachableDisplays& reachable);
