#include "platform/linux/session/display_connection.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// The plugin names of QT_QPA_PLATFORM ("wayland;xcb", "xcb:option"), or
// both window systems when it is unset: Qt picks between them by session.
std::vector<std::string> RequestedPlatforms(const std::string& requested) {
  if (requested.empty()) {
    return {"wayland", "xcb"};
  }
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= requested.size()) {
    const size_t end = std::min(requested.find(';', start), requested.size());
    const std::string entry = requested.substr(start, end - start);
    names.push_back(entry.substr(0, entry.find(':')));
    start = end + 1;
  }
  return names;
}

}  // namespace

std::string MissingDisplay(const DisplayRequest& request) {
  if (request.commandLineChooses) {
    return {};
  }
  const ReachableDisplays& reachable = request.reachable;
  for (const std::string& platform : RequestedPlatforms(request.qtPlatform)) {
    if (platform == "xcb") {
      if (reachable.x11) return {};
    } else if (platform.rfind("wayland", 0) == 0) {
      if (reachable.wayland) return {};
    } else if (!platform.empty()) {
      return {};  // offscreen, minimal, eglfs …: Qt needs no display server for them
    }
  }
  const std::string& display = request.display;
  const std::string& wayland = request.waylandDisplay;
  return "no display: cannot connect to an X server (DISPLAY " +
         (display.empty() ? std::string("is not set") : "=" + display) +
         ") nor to a Wayland compositor (WAYLAND_DISPLAY " +
         (wayland.empty() ? std::string("is not set") : "=" + wayland) +
         "); start the program in a desktop session";
}

bool CommandLineChoosesDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-platform" || argument == "-display" || argument == "--platform" ||
        argument == "--display") {
      return true;
    }
  }
  return false;
}
