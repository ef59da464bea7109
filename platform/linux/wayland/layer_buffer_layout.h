// How a popup's picture becomes a legal Wayland buffer on a surface of the
// right size. The picture was drawn for a density (`drawnScale`, 1.25 for a
// popup laid out at 120 dpi); the surface is the picture's size over that
// scale, whatever the output's scale is now. A buffer shown with a buffer
// scale N must have a width and a height that N divides (a compositor that
// enforces this ends the client's connection), so a picture that N does
// not divide is shown through the viewporter at the surface's size or,
// without one, padded with transparent pixels at the top and left (the
// popup sits in the bottom-right corner, where the padding stays unseen).
#pragma once

#include <cstdint>

struct LayerBufferLayout {
  int32_t bufferWidth = 0;  // the picture with its padding
  int32_t bufferHeight = 0;
  int32_t padLeft = 0;  // transparent columns before the picture
  int32_t padTop = 0;   // transparent rows above it
  int32_t bufferScale = 1;
  bool viewport = false;  // shown at surfaceWidth x surfaceHeight by the viewporter
  int32_t surfaceWidth = 0;
  int32_t surfaceHeight = 0;

  bool operator==(const LayerBufferLayout&) const = default;
};

LayerBufferLayout LayoutLayerBuffer(int32_t width, int32_t height, double drawnScale,
                                    bool haveViewporter);
