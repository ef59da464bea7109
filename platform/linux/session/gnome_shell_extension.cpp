#include "platform/linux/session/gnome_shell_extension.h"

namespace gnome_shell_extension {

bool IsGnomeWaylandSession(std::string_view currentDesktop, std::string_view waylandDisplay) {
  if (waylandDisplay.empty()) return false;
  while (!currentDesktop.empty()) {
    const size_t end = currentDesktop.find(':');
    if (currentDesktop.substr(0, end) == "GNOME") return true;
    if (end == std::string_view::npos) break;
    currentDesktop.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace gnome_shell_extension
