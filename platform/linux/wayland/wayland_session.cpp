#include "platform/linux/wayland/wayland_session.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "layer-shell-client.h"
#include "viewporter-client.h"
#include "xdg-output-client.h"

namespace {

// The versions whose requests and events this program knows.
constexpr uint32_t kCompositorVersion = 4;  // wl_surface.set_buffer_scale needs 3
constexpr uint32_t kOutputVersion = 2;      // the scale event

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void OutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t) {}
void OutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  auto* output = static_cast<WaylandSession::Output*>(data);
  output->modeWidth = width;
  output->modeHeight = height;
}
void OutputDone(void*, wl_output*) {}
void OutputScale(void* data, wl_output*, int32_t factor) {
  static_cast<WaylandSession::Output*>(data)->scale = factor > 0 ? factor : 1;
}
// name and description come from version 4 on, never to this binding.
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone,
                                            OutputScale,    nullptr,    nullptr};

void XdgOutputPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
void XdgOutputSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
  auto* output = static_cast<WaylandSession::Output*>(data);
  output->logicalWidth = width;
  output->logicalHeight = height;
}
void XdgOutputDone(void*, zxdg_output_v1*) {}
void XdgOutputName(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgOutputListener = {XdgOutputPosition, XdgOutputSize, XdgOutputDone,
                                                    XdgOutputName, XdgOutputName};

}  // namespace

std::unique_ptr<WaylandSession> WaylandSession::Connect() {
  // libwayland falls back to "wayland-0" without WAYLAND_DISPLAY; an X11
  // session must not be taken for a Wayland one because such a socket exists.
  const char* name = std::getenv("WAYLAND_DISPLAY");
  const char* socket = std::getenv("WAYLAND_SOCKET");
  if ((name == nullptr || *name == '\0') && (socket == nullptr || *socket == '\0')) return nullptr;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  std::unique_ptr<WaylandSession> session(new WaylandSession(display));
  // Globals first, then the events of what was bound (output scales and
  // modes), then the logical sizes asked for once both were there.
  if (!session->Roundtrip() || !session->Roundtrip()) return nullptr;
  if (session->m_XdgOutputs != nullptr) {
    for (const auto& output : session->m_Outputs) session->DescribeOutput(*output);
    if (!session->Roundtrip()) return nullptr;
  }
  if (session->m_Compositor == nullptr || session->m_Shm == nullptr) return nullptr;
  return session;
}

WaylandSession::WaylandSession(wl_display* display) : m_Display(display) {
  static const wl_registry_listener listener = {OnGlobal, OnGlobalRemove};
  m_Registry = wl_display_get_registry(m_Display);
  wl_registry_add_listener(m_Registry, &listener, this);
}

WaylandSession::~WaylandSession() {
  for (const auto& output : m_Outputs) {
    if (output->xdgOutput != nullptr) zxdg_output_v1_destroy(output->xdgOutput);
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(output->output));
  }
  if (m_XdgOutputs != nullptr) zxdg_output_manager_v1_destroy(m_XdgOutputs);
  if (m_Viewporter != nullptr) wp_viewporter_destroy(m_Viewporter);
  if (m_LayerShell != nullptr) zwlr_layer_shell_v1_destroy(m_LayerShell);
  if (m_Shm != nullptr) wl_shm_destroy(m_Shm);
  if (m_Compositor != nullptr) wl_compositor_destroy(m_Compositor);
  if (m_Registry != nullptr) wl_registry_destroy(m_Registry);
  wl_display_disconnect(m_Display);
}

void WaylandSession::OnGlobal(void* data, wl_registry* registry, uint32_t name,
                              const char* interface, uint32_t version) {
  auto* self = static_cast<WaylandSession*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 3) {
    self->m_Compositor =
        Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, kCompositorVersion);
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    self->m_Shm = Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 2) {
    auto output = std::make_unique<Output>();
    output->name = name;
    output->output = Bind<wl_output>(registry, name, &wl_output_interface, version, kOutputVersion);
    wl_output_add_listener(output->output, &kOutputListener, output.get());
    if (self->m_XdgOutputs != nullptr) self->DescribeOutput(*output);
    self->m_Outputs.push_back(std::move(output));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    self->m_LayerShell =
        Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 1);
  } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
    self->m_Viewporter = Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
  } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && version >= 2) {
    // Version 2 and later: logical sizes that account for fractional scales.
    self->m_XdgOutputs =
        Bind<zxdg_output_manager_v1>(registry, name, &zxdg_output_manager_v1_interface, version, 2);
  } else if (std::strcmp(interface, "zwlr_foreign_toplevel_manager_v1") == 0) {
    self->m_ForeignToplevels = Global{name, version};
  } else if (std::strcmp(interface, "org_kde_plasma_window_management") == 0) {
    self->m_PlasmaWindows = Global{name, version};
  }
}

void WaylandSession::OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
  auto* self = static_cast<WaylandSession*>(data);
  auto& outputs = self->m_Outputs;
  const auto gone = std::find_if(outputs.begin(), outputs.end(),
                                 [name](const auto& output) { return output->name == name; });
  if (gone == outputs.end()) return;
  if ((*gone)->xdgOutput != nullptr) zxdg_output_v1_destroy((*gone)->xdgOutput);
  wl_proxy_destroy(reinterpret_cast<wl_proxy*>((*gone)->output));
  outputs.erase(gone);
}

int WaylandSession::Fd() const { return wl_display_get_fd(m_Display); }

bool WaylandSession::Dispatch() {
  // The descriptor was readable: read without blocking, then handle.
  if (wl_display_prepare_read(m_Display) == 0) {
    if (wl_display_read_events(m_Display) < 0 && errno != EAGAIN) return false;
  }
  if (wl_display_dispatch_pending(m_Display) < 0) return false;
  Flush();
  return wl_display_get_error(m_Display) == 0;
}

void WaylandSession::Flush() { wl_display_flush(m_Display); }

bool WaylandSession::Roundtrip() { return wl_display_roundtrip(m_Display) >= 0; }

double OutputScale(int32_t modeWidth, int32_t modeHeight, int32_t logicalWidth,
                   int32_t logicalHeight, int32_t integerScale) {
  // The longer sides, so a rotated output compares like with like.
  const int32_t mode = std::max(modeWidth, modeHeight);
  const int32_t logical = std::max(logicalWidth, logicalHeight);
  if (mode <= 0 || logical <= 0) return integerScale > 0 ? integerScale : 1;
  const double scale = static_cast<double>(mode) / logical;
  // A logical size rounded to whole pixels leaves a trace of a fraction.
  const double nearest = std::round(scale);
  return std::abs(scale - nearest) < 0.01 ? nearest : scale;
}

void WaylandSession::DescribeOutput(Output& output) {
  if (output.xdgOutput != nullptr) return;
  output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_XdgOutputs, output.output);
  zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
}

std::pair<int32_t, int32_t> WaylandSession::PrimaryOutputMode() const {
  if (m_Outputs.empty()) return {0, 0};
  return {m_Outputs.front()->modeWidth, m_Outputs.front()->modeHeight};
}

double WaylandSession::PrimaryOutputScale() const {
  if (m_Outputs.empty()) return 1.0;
  const Output& output = *m_Outputs.front();
  return OutputScale(output.modeWidth, output.modeHeight, output.logicalWidth, output.logicalHeight,
                     output.scale);
}
