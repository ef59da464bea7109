// The display snapshot of the scaling arithmetic, read from Qt's screens.
// The program works in device pixels and applies its own factor, so Qt's
// own high-DPI scaling must be off (QT_ENABLE_HIGHDPI_SCALING=0 before the
// application object exists).
#pragma once

#include "skin/Utils_logpixels.h"
#include "skin/ui_rect.h"

class QWidget;

// The window's handle for the scaling unit: its top-level window's native
// id (the native window is created if it has none yet); 0 for no widget.
WindowHandle QtWindowHandle(const QWidget* window);

// The screens in Qt's order with their logical dots per inch, the primary
// one, and as nearest monitor the screen that holds most of the window (the
// window's own screen when it lies on none). A null window gives the
// snapshot without a nearest monitor.
DisplayState QtDisplayState(const QWidget* window);

// Makes the handle-based scaling operations read Qt's screens.
void InstallQtDisplayStateSource();

float GetWindowScaleFactor(const QWidget* window);
Rect ScaleRectForWindow(const QWidget* window, Rect rect);
