#include "platform/linux/wayland/platform_choice.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "platform/linux/wayland/wayland_session.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Whether the X server answers, and its first screen's size.
bool ReadXServer(SessionDisplays& displays) {
  if (!IsSet("DISPLAY")) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool connected = xcb_connection_has_error(connection) == 0;
  if (connected) {
    if (const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data) {
      displays.x11ScreenWidth = screen->width_in_pixels;
      displays.x11ScreenHeight = screen->height_in_pixels;
    }
  }
  xcb_disconnect(connection);
  return connected;
}

bool RunsOnX11(const SessionDisplays& displays) {
  const std::string chosen = ChooseQtPlatform(displays);
  const std::string& platform = chosen.empty() ? displays.requestedPlatform : chosen;
  return platform == "xcb" || (platform.empty() && displays.x11Reachable);
}

// XWayland's pixels per device pixel where the popups are its windows: 1
// where X11 clients draw at the output's full resolution, below 1 where the
// compositor enlarges their windows itself. Only one output is compared:
// with several, the X screen spans them all.
double X11PixelsPerDevicePixel(const SessionDisplays& displays) {
  if (displays.layerShell || !displays.x11Reachable || !RunsOnX11(displays) ||
      displays.outputCount != 1 || displays.outputModeWidth <= 0 ||
      displays.outputModeHeight <= 0 || displays.x11ScreenWidth <= 0 ||
      displays.x11ScreenHeight <= 0)
    return 1.0;
  // By area, so that a rotated output compares alike.
  return std::sqrt(static_cast<double>(displays.x11ScreenWidth) * displays.x11ScreenHeight /
                   (static_cast<double>(displays.outputModeWidth) * displays.outputModeHeight));
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
  const double scale = displays.outputScale * X11PixelsPerDevicePixel(displays);
  return static_cast<int32_t>(std::lround(96.0 * std::clamp(scale, 0.5, 16.0)));
}

SessionDisplays ReadSessionDisplays() {
  SessionDisplays displays;
  if (IsSet("QT_QPA_PLATFORM")) displays.requestedPlatform = std::getenv("QT_QPA_PLATFORM");
  if (const auto wayland = WaylandSession::Connect()) {
    displays.waylandReachable = true;
    displays.outputScale = wayland->PrimaryOutputScale();
    displays.layerShell = wayland->LayerShell() != nullptr;
    std::tie(displays.outputModeWidth, displays.outputModeHeight) = wayland->PrimaryOutputMode();
    displays.outputCount = wayland->OutputCount();
  }
  displays.x11Reachable = ReadXServer(displays);
  return displays;
}
