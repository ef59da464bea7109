#include "app/qt/display_platform.h"

#include <cstdlib>

#include "platform/linux/session/display_connection.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

DisplayPlatform ChooseDisplayPlatform(const StartingSession& session) {
  const SessionDisplays& displays = session.displays;
  DisplayPlatform chosen;
  const std::string platform = ChooseQtPlatform(displays);
  // Qt would abort the process without a display; the check reads the
  // platform as Qt will.
  chosen.missingDisplay = MissingDisplay(
      {.qtPlatform = platform.empty() ? displays.requestedPlatform : platform,
       .commandLineChooses = session.commandLineChoosesDisplay,
       .display = session.display,
       .waylandDisplay = session.waylandDisplay,
       .reachable = {.x11 = displays.x11Reachable, .wayland = displays.waylandReachable}});
  if (!chosen.missingDisplay.empty()) return chosen;
  if (!platform.empty()) chosen.environment.push_back({"QT_QPA_PLATFORM", platform});
  // The popups' density is the output's scale times 96; XWayland (read
  // through QT_FONT_DPI) and Qt's Wayland platform (QT_WAYLAND_FORCE_DPI)
  // would report 96 at any scale.
  if (const int32_t dpi = WaylandSessionDpi(displays); dpi > 0) {
    const std::string value = std::to_string(dpi);
    chosen.environment.push_back({"QT_FONT_DPI", value, true});
    chosen.environment.push_back({"QT_WAYLAND_FORCE_DPI", value, true});
  }
  return chosen;
}

StartingSession ReadStartingSession(int argc, char** argv) {
  return {.displays = ReadSessionDisplays(),
          .commandLineChoosesDisplay = CommandLineChoosesDisplay(argc, argv),
          .display = Environment("DISPLAY"),
          .waylandDisplay = Environment("WAYLAND_DISPLAY")};
}
