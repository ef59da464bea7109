#include "platform/session/display_connection.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool XServerAnswers() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool connected = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return connected;
}

// The socket libwayland-client connects to: $WAYLAND_DISPLAY (default
// wayland-0), relative to $XDG_RUNTIME_DIR unless it is absolute.
std::string WaylandSocketPath() {
  std::string name = Environment("WAYLAND_DISPLAY");
  if (name.empty()) {
    name = "wayland-0";
  }
  if (name.front() == '/') {
    return name;
  }
  const std::string runtimeDir = Environment("XDG_RUNTIME_DIR");
  return runtimeDir.empty() ? std::string() : runtimeDir + "/" + name;
}

bool CompositorAnswers() {
  if (!Environment("WAYLAND_SOCKET").empty()) {
    return true;  // a connection handed over by the compositor itself
  }
  const std::string path = WaylandSocketPath();
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    return false;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return false;
  }
  const bool connected =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

// The plugin names of QT_QPA_PLATFORM ("wayland;xcb", "xcb:option"), or
// both window systems when it is unset: Qt picks between them by session.
std::vector<std::string> RequestedPlatforms() {
  const std::string requested = Environment("QT_QPA_PLATFORM");
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

}  // namespace

std::string MissingDisplay(int argc, char** argv) {
  if (CommandLineChoosesDisplay(argc, argv)) {
    return {};
  }
  for (const std::string& platform : RequestedPlatforms()) {
    if (platform == "xcb") {
      if (XServerAnswers()) return {};
    } else if (platform.rfind("wayland", 0) == 0) {
      if (CompositorAnswers()) return {};
    } else if (!platform.empty()) {
      return {};  // offscreen, minimal, eglfs …: Qt needs no display server for them
    }
  }
  const std::string display = Environment("DISPLAY");
  const std::string wayland = Environment("WAYLAND_DISPLAY");
  return "no display: cannot connect to an X server (DISPLAY " +
         (display.empty() ? std::string("is not set") : "=" + display) +
         ") nor to a Wayland compositor (WAYLAND_DISPLAY " +
         (wayland.empty() ? std::string("is not set") : "=" + wayland) +
         "); start the program in a desktop session";
}
