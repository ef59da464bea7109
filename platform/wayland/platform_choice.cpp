#include "platform/wayland/platform_choice.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool CompositorAnswers() {
  if (!IsSet("WAYLAND_DISPLAY")) return false;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return false;
  wl_display_disconnect(display);
  return true;
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
  if (displays.platformRequested || !displays.waylandReachable) return {};
  return displays.x11Reachable ? "xcb" : "wayland";
}

SessionDisplays ReadSessionDisplays() {
  SessionDisplays displays;
  displays.platformRequested = IsSet("QT_QPA_PLATFORM");
  displays.waylandReachable = CompositorAnswers();
  displays.x11Reachable = XServerAnswers();
  return displays;
}
