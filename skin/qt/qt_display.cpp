#include "skin/qt/qt_display.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {

MonitorHandle HandleOf(const QScreen* screen) { return reinterpret_cast<MonitorHandle>(screen); }

uint32_t PixelsPerInchOf(const QScreen* screen) {
  const qreal dpi = screen->logicalDotsPerInch();
  if (!(dpi > 0.0) || dpi > 100000.0) return 0;  // a failed query reads as 0
  return static_cast<uint32_t>(std::lround(dpi));
}

const QScreen* ScreenHoldingMostOf(const QWidget* window) {
  const QWidget* topLevel = window->window();
  const QRect frame = topLevel->frameGeometry();
  const QScreen* best = nullptr;
  qint64 bestArea = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect common = frame.intersected(screen->geometry());
    const qint64 area = qint64{common.width()} * common.height();
    if (area > bestArea) {
      bestArea = area;
      best = screen;
    }
  }
  return best != nullptr ? best : topLevel->screen();
}

}  // namespace

WindowHandle QtWindowHandle(const QWidget* window) {
  if (window == nullptr) return 0;
  return static_cast<WindowHandle>(window->window()->winId());
}

DisplayState QtDisplayState(const QWidget* window) {
  DisplayState display;
  const QList<QScreen*> screens = QGuiApplication::screens();
  const QScreen* primary = QGuiApplication::primaryScreen();
  for (qsizetype i = 0; i < screens.size(); ++i) {
    display.monitors.push_back(MonitorInfo{HandleOf(screens[i]), PixelsPerInchOf(screens[i])});
    if (screens[i] == primary) display.primaryIndex = static_cast<size_t>(i);
  }
  if (primary != nullptr) {
    const uint32_t dpi = PixelsPerInchOf(primary);
    display.displayModePixelsPerInch = static_cast<uint16_t>(dpi > UINT16_MAX ? 0 : dpi);
  } else {
    display.displayModePixelsPerInch = 0;
  }
  if (window != nullptr) display.nearestMonitor = HandleOf(ScreenHoldingMostOf(window));
  return display;
}

void InstallQtDisplayStateSource() {
  SetDisplayStateSource([](WindowHandle handle) {
    // Unknown ids find no widget and give the snapshot without a window.
    const QWidget* window = handle != 0 ? QWidget::find(static_cast<WId>(handle)) : nullptr;
    return QtDisplayState(window);
  });
}

float GetWindowScaleFactor(const QWidget* window) {
  if (window == nullptr) return GetWindowScaleFactor(QtDisplayState(nullptr), 0);
  return GetWindowScaleFactor(QtDisplayState(window), reinterpret_cast<WindowHandle>(window));
}

Rect ScaleRectForWindow(const QWidget* window, Rect rect) {
  if (window == nullptr) return ScaleRectForWindow(QtDisplayState(nullptr), 0, rect);
  return ScaleRectForWindow(QtDisplayState(window), reinterpret_cast<WindowHandle>(window), rect);
}
