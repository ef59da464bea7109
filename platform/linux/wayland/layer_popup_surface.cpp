#include "platform/linux/wayland/layer_popup_surface.h"

#include <wayland-client.h>

#include "layer-shell-client.h"
#include "platform/linux/wayland/wayland_session.h"
#include "viewporter-client.h"

LayerPopupSurface::LayerPopupSurface(WaylandSession& session, std::string nameSpace)
    : m_Session(session), m_NameSpace(std::move(nameSpace)) {}

LayerPopupSurface::~LayerPopupSurface() { Destroy(); }

bool LayerPopupSurface::Create(int32_t margin) {
  static const zwlr_layer_surface_v1_listener listener = {OnConfigure, OnClosed};
  m_Surface = wl_compositor_create_surface(m_Session.Compositor());
  // An empty input region: pointer events pass through to what lies below.
  wl_region* nothing = wl_compositor_create_region(m_Session.Compositor());
  wl_surface_set_input_region(m_Surface, nothing);
  wl_region_destroy(nothing);
  // No output named: the compositor puts it where the user works (sway: the
  // focused output), as it does a notification daemon's, and an output
  // taken away takes nothing of ours with it. The picture keeps its size on
  // an output of another scale (see LayoutLayerBuffer).
  m_LayerSurface =
      zwlr_layer_shell_v1_get_layer_surface(m_Session.LayerShell(), m_Surface, nullptr,
                                            ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, m_NameSpace.c_str());
  zwlr_layer_surface_v1_add_listener(m_LayerSurface, &listener, this);
  if (m_Layout.viewport) {
    m_Viewport = wp_viewporter_get_viewport(m_Session.Viewporter(), m_Surface);
    wp_viewport_set_destination(m_Viewport, m_Layout.surfaceWidth, m_Layout.surfaceHeight);
  }
  zwlr_layer_surface_v1_set_size(m_LayerSurface, static_cast<uint32_t>(m_Layout.surfaceWidth),
                                 static_cast<uint32_t>(m_Layout.surfaceHeight));
  zwlr_layer_surface_v1_set_anchor(
      m_LayerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_margin(m_LayerSurface, 0, margin, margin, 0);
  zwlr_layer_surface_v1_set_keyboard_interactivity(m_LayerSurface, 0);
  zwlr_layer_surface_v1_set_exclusive_zone(m_LayerSurface, 0);
  // The first commit carries no buffer: it asks for the configure event.
  m_Configured = false;
  m_Closed = false;
  wl_surface_commit(m_Surface);
  for (int attempt = 0; attempt < 3 && !m_Configured && !m_Closed; ++attempt) {
    if (!m_Session.Roundtrip()) break;
  }
  if (!m_Configured || m_Closed) {
    Destroy();
    return false;
  }
  return true;
}

void LayerPopupSurface::Destroy() {
  if (m_Viewport != nullptr) wp_viewport_destroy(m_Viewport);
  m_Viewport = nullptr;
  if (m_LayerSurface != nullptr) zwlr_layer_surface_v1_destroy(m_LayerSurface);
  if (m_Surface != nullptr) wl_surface_destroy(m_Surface);
  m_LayerSurface = nullptr;
  m_Surface = nullptr;
  // With the surface gone the compositor reads none of its buffers.
  m_Buffer.reset();
  m_Retired.clear();
  m_Session.Flush();
}

bool LayerPopupSurface::Show(const uint8_t* pixels, int32_t width, int32_t height, int32_t stride,
                             double drawnScale, int32_t margin) {
  const LayerBufferLayout layout =
      LayoutLayerBuffer(width, height, drawnScale, m_Session.Viewporter() != nullptr);
  if (m_Surface != nullptr && (layout != m_Layout || m_Closed)) Destroy();
  m_Layout = layout;
  if (m_Surface == nullptr && !Create(margin)) return false;
  auto buffer = ShmBuffer::Create(m_Session.Shm(), layout.bufferWidth, layout.bufferHeight);
  if (buffer == nullptr) return false;
  buffer->Fill(pixels, stride, layout.padLeft, layout.padTop);
  wl_surface_set_buffer_scale(m_Surface, layout.bufferScale);
  wl_surface_attach(m_Surface, buffer->Buffer(), 0, 0);
  wl_surface_damage(m_Surface, 0, 0, layout.surfaceWidth, layout.surfaceHeight);
  buffer->MarkInUse();
  wl_surface_commit(m_Surface);
  std::erase_if(m_Retired, [](const auto& retired) { return retired->Released(); });
  if (m_Buffer != nullptr) m_Retired.push_back(std::move(m_Buffer));
  m_Buffer = std::move(buffer);
  m_Session.Flush();
  return true;
}

void LayerPopupSurface::Hide() { Destroy(); }

void LayerPopupSurface::OnConfigure(void* data, zwlr_layer_surface_v1* surface, uint32_t serial,
                                    uint32_t, uint32_t) {
  auto* self = static_cast<LayerPopupSurface*>(data);
  zwlr_layer_surface_v1_ack_configure(surface, serial);
  self->m_Configured = true;
}

void LayerPopupSurface::OnClosed(void* data, zwlr_layer_surface_v1*) {
  static_cast<LayerPopupSurface*>(data)->m_Closed = true;
}
