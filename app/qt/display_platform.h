// The window system the program starts on, chosen from the session before
// Qt starts: which of Qt's platforms (X11, Wayland, or the one the user
// asked for, such as offscreen), the density Qt is to report, or that there
// is no display to start on. Everything after the choice is the same on
// every window system.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/wayland/platform_choice.h"

// What the program finds when it starts: the session as probed, and what
// the user chose on the command line.
struct StartingSession {
  SessionDisplays displays;
  bool commandLineChoosesDisplay = false;  // -platform or -display
  std::string display;                     // DISPLAY, empty when unset
  std::string waylandDisplay;              // WAYLAND_DISPLAY, empty when unset
};

// A variable Qt reads when it starts.
struct EnvironmentSetting {
  std::string name;
  std::string value;
  bool userValueStands = false;  // a non-empty value already set is kept
};

struct DisplayPlatform {
  // Non-empty when there is no window system to start on: why, in one line.
  std::string missingDisplay;
  // Set in this order before Qt starts; empty where Qt's own choice stands.
  std::vector<EnvironmentSetting> environment;
};

DisplayPlatform ChooseDisplayPlatform(const StartingSession& session);

// The session as the environment describes it, probed by connecting.
StartingSession ReadStartingSession(int argc, char** argv);
