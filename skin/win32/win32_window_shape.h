// Skinned window backgrounds on Win32: loading a background picture into a
// window's image element, enlarged for the window's monitor, and cutting
// the window to the picture's outline with SetWindowRgn.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "skin/picture_scaling.h"
#include "skin/win32/win32_ui_toolkit.h"

// The file at `path` in `image`. A path ending in ".png" exactly (lower
// case) is enlarged to trunc(size x the window's factor), smoothly for what
// is shown, and auto-size is switched off; any other file is shown at its
// stored size, with the element's auto-size. Returns the picture the
// outline is cut from (the pixel-exact enlargement for a PNG); nullopt,
// with nothing changed, when there is no file or it cannot be decoded.
std::optional<Picture> LoadScaledImage(Win32Image& image, const std::string& path, HWND window);

// The window's outline: `outline` drawn at the image's place over a client
// area of `clientWidth` x `clientHeight` filled with `backgroundRgb`, every
// pixel not in the key colour (the top-left pixel's). The caller owns the
// region; an outline with no pixel left gives a one-pixel region outside
// the window, so the window shows nothing rather than everything.
HRGN WindowShapeRegion(const Picture& outline, const Rect& imageBounds, int32_t clientWidth,
                       int32_t clientHeight, uint32_t backgroundRgb);
