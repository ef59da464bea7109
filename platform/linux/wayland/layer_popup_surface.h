// A notification popup as a layer surface: on the overlay layer of the
// output the compositor chooses, anchored to the bottom and right edges of
// its usable area (the compositor keeps it clear of panels' exclusive
// zones), never given keyboard focus, with an empty input region so clicks
// go to the window below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/wayland/layer_buffer_layout.h"
#include "platform/linux/wayland/shm_buffer.h"

class WaylandSession;
struct wl_surface;
struct wp_viewport;
struct zwlr_layer_surface_v1;

class LayerPopupSurface {
 public:
  // `session` must offer the layer shell and outlive the surface.
  LayerPopupSurface(WaylandSession& session, std::string nameSpace);
  ~LayerPopupSurface();
  LayerPopupSurface(const LayerPopupSurface&) = delete;
  LayerPopupSurface& operator=(const LayerPopupSurface&) = delete;

  // Shows the pixels (premultiplied ARGB, `stride` bytes a row), or replaces
  // what is shown. `width` and `height` are pixels drawn for `drawnScale`;
  // the surface is that size divided by it, `margin` surface units in from
  // the right and bottom edges, also after the output's scale changed.
  // False when the compositor refused or closed the surface.
  bool Show(const uint8_t* pixels, int32_t width, int32_t height, int32_t stride, double drawnScale,
            int32_t margin);
  void Hide();
  bool IsShown() const { return m_Surface != nullptr; }

 private:
  bool Create(int32_t margin);
  void Destroy();
  static void OnConfigure(void* data, zwlr_layer_surface_v1* surface, uint32_t serial,
                          uint32_t width, uint32_t height);
  static void OnClosed(void* data, zwlr_layer_surface_v1* surface);

  WaylandSession& m_Session;
  const std::string m_NameSpace;
  wl_surface* m_Surface = nullptr;
  zwlr_layer_surface_v1* m_LayerSurface = nullptr;
  // The buffer last committed, and earlier ones the compositor still reads.
  std::unique_ptr<ShmBuffer> m_Buffer;
  std::vector<std::unique_ptr<ShmBuffer>> m_Retired;
  bool m_Configured = false;
  bool m_Closed = false;
  // How the pictures are shown; a picture laid out otherwise makes a new
  // surface.
  LayerBufferLayout m_Layout;
  wp_viewport* m_Viewport = nullptr;
};
