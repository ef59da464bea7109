// Display scaling: every skinned layout is drawn at 96 pixels per inch, and
// a window on a denser monitor grows by that monitor's pixels per inch / 96.
//
// The arithmetic works on a snapshot of the display that the platform layer
// hands in (DisplayState), so it runs without a display. The overloads
// without a DisplayState ask the installed source afresh at every call, so a
// window moved to another monitor takes the new factor at its next call.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "skin/ui_rect.h"

// An opaque pointer-sized value naming a window (0 is the null window) or a
// monitor; only compared, never dereferenced here.
using WindowHandle = std::uintptr_t;
using MonitorHandle = std::uintptr_t;

struct MonitorInfo {
  MonitorHandle handle = 0;
  // 0 when the density query for this monitor failed.
  uint32_t pixelsPerInch = 96;
};

struct DisplayState {
  // In the order the system enumerates them.
  std::vector<MonitorInfo> monitors;
  size_t primaryIndex = 0;
  // The monitor nearest the window asked about (the one holding most of it).
  MonitorHandle nearestMonitor = 0;
  // The density of the current display mode, used for the null window.
  uint16_t displayModePixelsPerInch = 96;
};

// The pixels per inch of the monitor that shows the window: with fewer than
// two monitors the primary one; otherwise the last list entry whose handle
// is the nearest monitor, or entry 0 when none matches. 0 when the list is
// empty or names no usable primary monitor.
uint32_t ChooseMonitorPixelsPerInch(const DisplayState& display);

// The factor of the window's monitor as a single-precision float. A monitor
// whose density query failed gives 1.0. A null window takes the desktop
// factor instead.
float GetWindowScaleFactor(const DisplayState& display, WindowHandle window);
// The display-mode density / 96. A density of 0 gives 1.0, as a failed
// monitor query does, so a failed query never collapses a layout to nothing.
float GetDesktopScaleFactor(const DisplayState& display);

// Origin and size are scaled separately, each as trunc(value * f + 0.5)
// with f in extended precision, so a rectangle's scaled width does not
// depend on where it lies. trunc drops the fraction toward zero, so halves
// round up for non-negative products only: a negative origin moves toward
// zero by up to one pixel, even at factor 1.0 (-5 becomes -4). A factor of
// 0 (failed density query) is taken as 1.0. Results beyond the 32-bit range
// are clamped to it.
Rect ScaleRectForWindow(const DisplayState& display, WindowHandle window, Rect rect);
Rect ScaleRectForDesktop(const DisplayState& display, Rect rect);

// The rectangle arithmetic with an explicit factor.
Rect ScaleRectByFactor(Rect rect, long double factor);

// Where the parameterless overloads take the display from. The source is
// asked with the window in question (0 for the desktop operations). Until
// one is installed the display is a single 96 pixels-per-inch monitor.
using DisplayStateSource = std::function<DisplayState(WindowHandle window)>;
void SetDisplayStateSource(DisplayStateSource source);
DisplayState CurrentDisplayState(WindowHandle window);

float GetWindowScaleFactor(WindowHandle window);
float GetDesktopScaleFactor();
Rect ScaleRectForWindow(WindowHandle window, Rect rect);
Rect ScaleRectForDesktop(Rect rect);
