#include "skin/win32/win32_window_shape.h"

#include <vector>

#include "skin/Skin_windowshape.h"
#include "skin/Utils_logpixels.h"
#include "skin/win32/picture_file.h"
#include "skin/win32/win32_display.h"

namespace {

bool HasPngExtension(const std::string& path) {
  return path.size() >= 4 && path.compare(path.size() - 4, 4, ".png") == 0;
}

// The client area as the window shows it, with the picture drawn in.
Picture ClientPixels(const Picture& picture, const Rect& at, int32_t width, int32_t height,
                     uint32_t backgroundRgb) {
  Picture client;
  client.width = width;
  client.height = height;
  client.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                       0xFF000000u | (backgroundRgb & 0xFFFFFF));
  for (int32_t y = 0; y < picture.height; ++y) {
    const int32_t row = at.top + y;
    if (row < 0 || row >= height) continue;
    for (int32_t x = 0; x < picture.width; ++x) {
      const int32_t column = at.left + x;
      if (column < 0 || column >= width) continue;
      client.pixels[static_cast<size_t>(row) * static_cast<size_t>(width) +
                    static_cast<size_t>(column)] = picture.At(x, y);
    }
  }
  return client;
}

}  // namespace

std::optional<Picture> LoadScaledImage(Win32Image& image, const std::string& path, HWND window) {
  std::optional<Picture> decoded = DecodePictureFile(path);
  if (!decoded) return std::nullopt;
  if (!HasPngExtension(path)) {
    image.picture = OverFill(*decoded, 0xFFFFFF);
    if (image.autoSize) {
      image.bounds.right = image.bounds.left + decoded->width;
      image.bounds.bottom = image.bounds.top + decoded->height;
    }
    return image.picture;
  }
  const float factor = GetWindowScaleFactor(Win32WindowHandle(window));
  ScaledPictures scaled = ScalePngBackground(*decoded, factor);
  image.autoSize = false;
  image.bounds.right = image.bounds.left + scaled.shown.width;
  image.bounds.bottom = image.bounds.top + scaled.shown.height;
  image.picture = std::move(scaled.shown);
  return std::move(scaled.outline);
}

HRGN WindowShapeRegion(const Picture& outline, const Rect& imageBounds, int32_t clientWidth,
                       int32_t clientHeight, uint32_t backgroundRgb) {
  const Picture client =
      ClientPixels(outline, imageBounds, clientWidth, clientHeight, backgroundRgb);
  const std::vector<Rect> bands = CoalesceRowBands(BuildWindowShapeRuns(client.View()));
  if (bands.empty()) return CreateRectRgn(-1, -1, 0, 0);
  // One RGNDATA with every band: far faster than combining them one by one.
  std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + bands.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(bands.size());
  data->rdh.nRgnSize = static_cast<DWORD>(bands.size() * sizeof(RECT));
  data->rdh.rcBound = RECT{0, 0, clientWidth, clientHeight};
  auto* rects = reinterpret_cast<RECT*>(data->Buffer);
  for (size_t i = 0; i < bands.size(); ++i)
    rects[i] = RECT{bands[i].left, bands[i].top, bands[i].right, bands[i].bottom};
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}
