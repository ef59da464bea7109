#include "skin/win32/win32_display.h"

#include <shellscalingapi.h>

namespace {

uint32_t MonitorDpi(HMONITOR monitor) {
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY) != S_OK) return 0;
  return dpiY;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM state) {
  auto* display = reinterpret_cast<DisplayState*>(state);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
    display->primaryIndex = display->monitors.size();
  }
  display->monitors.push_back({reinterpret_cast<MonitorHandle>(monitor), MonitorDpi(monitor)});
  return TRUE;
}

uint16_t DisplayModeDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return static_cast<uint16_t>(dpi > 0 ? dpi : 96);
}

}  // namespace

DisplayState Win32DisplayState(HWND window) {
  DisplayState display;
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&display));
  if (window != nullptr) {
    display.nearestMonitor =
        reinterpret_cast<MonitorHandle>(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
  }
  display.displayModePixelsPerInch = DisplayModeDpi();
  return display;
}

void InstallWin32DisplayStateSource() {
  SetDisplayStateSource(
      [](WindowHandle window) { return Win32DisplayState(reinterpret_cast<HWND>(window)); });
}
