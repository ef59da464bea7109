#include "platform/linux/wayland/platform_choice.h"

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

#include "platform/linux/wayland/wayland_session.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool XServerAnswers() {
  if (!IsSet("DISPLAY")) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool connected = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return connected;
}

}  // namespace

std::string ChooseQtPlatform(const SessionDisplays& displays) {
  if (!displays.waylandReachable) return {};
  if (displays.requestedPlatform.empty()) return displays.x11Reachable ? "xcb" : "wayland";
  const bool waylandRequested = displays.requestedPlatform.rfind("wayland", 0) == 0;
  if (waylandRequested && !displays.layerShell && displays.x11Reachable) return "xcb";
  return {};
}

int32_t WaylandSessionDpi(const SessionDisplays& displays) {
  if (!displays.waylandReachable || !(displays.outputScale >= 0.5 && displays.outputScale <= 16))
    return 0;
  return static_cast<int32_t>(std::lround(96.0 * displays.outputScale));
}

SessionDisplays ReadSessionDisplays() {
  SessionDisplays displays;
  if (IsSet("QT_QPA_PLATFORM")) displays.requestedPlatform = std::getenv("QT_QPA_PLATFORM");
  if (const auto wayland = WaylandSession::Connect()) {
    displays.waylandReachable = true;
    displays.outputScale = wayland->PrimaryOutputScale();
    displays.layerShell = wayland->LayerShell() != nullptr;
  }
  displays.x11Reachable = XServerAnswers();
  return displays;
}
