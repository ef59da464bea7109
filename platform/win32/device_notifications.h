// HID interface arrivals and removals on Windows: the system posts them to
// a window as WM_DEVICECHANGE once the window has registered for the HID
// class's device interfaces.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/message.h"

// nullptr when the system refuses the registration (the reason goes to the
// device log).
HDEVNOTIFY RegisterHidInterfaceNotifications(HWND window);
void UnregisterHidInterfaceNotifications(HDEVNOTIFY registration);

// The program's record of a WM_DEVICECHANGE: lParam points at a
// DeviceBroadcast that the record keeps alive, naming the interface path
// (UTF-8) for a device interface. nullopt for events without a broadcast
// (DBT_DEVNODES_CHANGED and the like), which the handler has no use for.
std::optional<Message> DeviceChangeMessage(WPARAM event, LPARAM broadcast);
