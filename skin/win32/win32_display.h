// The display snapshot of the scaling arithmetic, read from Windows'
// monitors. The program declares itself aware of each monitor's density,
// so Windows reports real pixels and real dots per inch.
#pragma once

#include <windows.h>

#include "skin/Utils_logpixels.h"

inline WindowHandle Win32WindowHandle(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

// The monitors in the system's order with their effective densities, the
// primary one, the monitor nearest `window` (none for a null window) and
// the display mode's density.
DisplayState Win32DisplayState(HWND window);

// Makes the handle-based scaling operations read Windows' monitors.
void InstallWin32DisplayStateSource();
