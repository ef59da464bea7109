// The XDG autostart entry $XDG_CONFIG_HOME/autostart/<name>.desktop
// (default ~/.config/autostart/, the home folder from HOME or else from the
// password database), and how IsAutoStartSet, WriteAutostartEntry and
// RemoveAutostartEntry (platform/session/autostart.h) treat it.
#pragma once

#include <string>
#include <string_view>

#include "platform/session/autostart.h"

// The autostart folder, without trailing '/'; empty when neither the
// environment nor the password database gives the user a home folder.
std::string AutostartFolder();
std::string AutostartEntryPath(std::string_view name);

// An entry counts as set when it has a non-empty Exec, whatever program that
// Exec names, and the desktop would start it: not Hidden=true, not
// X-GNOME-Autostart-enabled=false. Something at the entry's name that is not
// a plain file of at most 64 KiB (a FIFO, a device, a huge file) is a
// foreign entry and counts as set; it is never read.
bool AutostartEntryContentIsSet(std::string_view content);

// The Exec value that starts `executable` with no arguments, quoted and
// escaped as desktop entries require.
std::string DesktopExecValue(std::string_view executable);
std::string AutostartEntryContent(std::string_view name, std::string_view executable);

// WriteAutostartEntry writes the entry through a temporary file and a rename,
// so that a crash never leaves half an entry; RemoveAutostartEntry fails when
// the folder is not writable, or the entry is immutable or a folder.
