// The program's GNOME Shell extension (platform/linux/gnome-shell-extension):
// GNOME Shell shows no other program the state of Wayland-native windows,
// so the extension reports on the session bus whether a window is full
// screen on the primary monitor. These names are the extension's own.
#pragma once

#include <string_view>

namespace gnome_shell_extension {

inline constexpr const char* kUuid = "fullscreen-report@notification.corvane.io";
inline constexpr const char* kBusName = "io.corvane.Notification.FullScreenReport";
inline constexpr const char* kObjectPath = "/io/corvane/Notification/FullScreenReport";
inline constexpr const char* kInterface = "io.corvane.Notification.FullScreenReport";
inline constexpr const char* kFullScreenProperty = "PrimaryMonitorFullScreen";

// Whether the session is GNOME Shell on Wayland, where only the extension
// tells of Wayland-native full-screen windows: XDG_CURRENT_DESKTOP (a
// colon-separated list, "ubuntu:GNOME" on Ubuntu) names GNOME and
// WAYLAND_DISPLAY is set.
bool IsGnomeWaylandSession(std::string_view currentDesktop, std::string_view waylandDisplay);

}  // namespace gnome_shell_extension
