// Start at login. On Linux the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/<name>.desktop (default ~/.config/autostart/,
// the home folder from HOME or else from the password database);
// on Windows the value <name> under the current user's Run key
// (HKCU\Software\Microsoft\Windows\CurrentVersion\Run), where only
// IsAutoStartSet, WriteAutostartEntry and RemoveAutostartEntry exist.
#pragma once

#include <string>
#include <string_view>

// The autostart folder, without trailing '/'; empty when neither the
// environment nor the password database gives the user a home folder.
std::string AutostartFolder();
std::string AutostartEntryPath(std::string_view name);

// An entry counts as set when it has a non-empty Exec, whatever program that
// Exec names, and the desktop would start it: not Hidden=true, not
// X-GNOME-Autostart-enabled=false.
bool AutostartEntryContentIsSet(std::string_view content);
// Something at the entry's name that is not a plain file of at most 64 KiB
// (a FIFO, a device, a huge file) is a foreign entry and counts as set; it is
// never read.
bool IsAutoStartSet(std::string_view name);

// The Exec value that starts `executable` with no arguments, quoted and
// escaped as desktop entries require.
std::string DesktopExecValue(std::string_view executable);
std::string AutostartEntryContent(std::string_view name, std::string_view executable);

// Writes the entry through a temporary file and a rename, so that a crash
// never leaves half an entry. Throws std::runtime_error naming the path and
// the reason when it cannot be written.
void WriteAutostartEntry(std::string_view name, std::string_view executable);

// Deletes the entry; nothing to delete is no error. Throws
// std::runtime_error as WriteAutostartEntry does when the entry cannot be
// deleted (the folder is not writable, the entry is immutable or a folder).
void RemoveAutostartEntry(std::string_view name);
