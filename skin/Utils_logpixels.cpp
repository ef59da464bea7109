#include "skin/Utils_logpixels.h"

#include <cmath>
#include <limits>
#include <utility>

#include "skin/int32_clamp.h"

namespace {

constexpr uint32_t kDesignPixelsPerInch = 96;

// trunc(value * f + 0.5): halves round up only for non-negative products.
long double ScaleLength(int64_t value, long double factor) {
  return std::trunc(static_cast<long double>(value) * factor + 0.5L);
}

// A density of 0 means the query failed; the layout then stays at 96.
long double FactorOf(uint32_t pixelsPerInch) {
  if (pixelsPerInch == 0) return 1.0L;
  return static_cast<long double>(pixelsPerInch) / kDesignPixelsPerInch;
}

DisplayStateSource& InstalledSource() {
  static DisplayStateSource source;
  return source;
}

}  // namespace

uint32_t ChooseMonitorPixelsPerInch(const DisplayState& display) {
  const auto& monitors = display.monitors;
  if (monitors.size() < 2) {
    if (display.primaryIndex >= monitors.size()) return 0;
    return monitors[display.primaryIndex].pixelsPerInch;
  }
  size_t chosen = 0;
  for (size_t i = 0; i < monitors.size(); ++i) {
    if (monitors[i].handle == display.nearestMonitor) chosen = i;
  }
  return monitors[chosen].pixelsPerInch;
}

float GetWindowScaleFactor(const DisplayState& display, WindowHandle window) {
  if (window == 0) return GetDesktopScaleFactor(display);
  const float factor = static_cast<float>(ChooseMonitorPixelsPerInch(display)) /
                       static_cast<float>(kDesignPixelsPerInch);
  return factor == 0.0f ? 1.0f : factor;
}

float GetDesktopScaleFactor(const DisplayState& display) {
  const uint16_t pixelsPerInch = display.displayModePixelsPerInch;
  if (pixelsPerInch == 0) return 1.0f;
  return static_cast<float>(pixelsPerInch) / static_cast<float>(kDesignPixelsPerInch);
}

Rect ScaleRectByFactor(Rect rect, long double factor) {
  const long double left = ScaleLength(rect.left, factor);
  const long double top = ScaleLength(rect.top, factor);
  const long double width = ScaleLength(int64_t{rect.right} - rect.left, factor);
  const long double height = ScaleLength(int64_t{rect.bottom} - rect.top, factor);
  Rect scaled;
  scaled.left = ClampToInt32(left);
  scaled.top = ClampToInt32(top);
  scaled.right = ClampToInt32(scaled.left + width);
  scaled.bottom = ClampToInt32(scaled.top + height);
  return scaled;
}

Rect ScaleRectForWindow(const DisplayState& display, WindowHandle window, Rect rect) {
  if (window == 0) return ScaleRectForDesktop(display, rect);
  return ScaleRectByFactor(rect, FactorOf(ChooseMonitorPixelsPerInch(display)));
}

Rect ScaleRectForDesktop(const DisplayState& display, Rect rect) {
  return ScaleRectByFactor(rect, FactorOf(display.displayModePixelsPerInch));
}

void SetDisplayStateSource(DisplayStateSource source) { InstalledSource() = std::move(source); }

DisplayState CurrentDisplayState(WindowHandle window) {
  if (const auto& source = InstalledSource()) return source(window);
  DisplayState single;
  single.monitors.push_back(MonitorInfo{});
  return single;
}

float GetWindowScaleFactor(WindowHandle window) {
  return GetWindowScaleFactor(CurrentDisplayState(window), window);
}

float GetDesktopScaleFactor() { return GetDesktopScaleFactor(CurrentDisplayState(0)); }

Rect ScaleRectForWindow(WindowHandle window, Rect rect) {
  return ScaleRectForWindow(CurrentDisplayState(window), window, rect);
}

Rect ScaleRectForDesktop(Rect rect) { return ScaleRectForDesktop(CurrentDisplayState(0), rect); }
