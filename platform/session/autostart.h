// Start at login: on Linux the XDG autostart entry <name>.desktop
// (platform/linux/session/xdg_autostart.h), on Windows the value <name>
// under the current user's Run key
// (HKCU\Software\Microsoft\Windows\CurrentVersion\Run).
#pragma once

#include <string_view>

// A foreign entry (one this program did not write) counts as set too.
bool IsAutoStartSet(std::string_view name);

// Throws std::runtime_error naming the place and the reason when the entry
// cannot be written.
void WriteAutostartEntry(std::string_view name, std::string_view executable);

// Nothing to delete is no error. Throws std::runtime_error as
// WriteAutostartEntry does when the entry cannot be deleted.
void RemoveAutostartEntry(std::string_view name);
