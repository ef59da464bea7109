#include "platform/wayland/wayland_session.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "layer-shell-client.h"

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
void OutputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void OutputDone(void*, wl_output*) {}
void OutputScale(void* data, wl_output*, int32_t factor) {
  static_cast<WaylandSession::Output*>(data)->scale = factor > 0 ? factor : 1;
}
// name and description come from version 4 on, never to this binding.
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale,
                                           nullptr, nullptr};

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
  // Globals first, then the events of what was bound (output scales).
  if (!session->Roundtrip() || !session->Roundtrip()) return nullptr;
  if (session->m_Compositor == nullptr || session->m_Shm == nullptr) return nullptr;
  return session;
}

WaylandSession::WaylandSession(wl_display* display) : m_Display(display) {
  static const wl_registry_listener listener = {OnGlobal, OnGlobalRemove};
  m_Registry = wl_display_get_registry(m_Display);
  wl_registry_add_listener(m_Registry, &listener, this);
}

WaylandSession::~WaylandSession() {
  for (const auto& output : m_Outputs) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(output->output));
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
    self->m_Outputs.push_back(std::move(output));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    self->m_LayerShell =
        Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 1);
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

int32_t WaylandSession::PrimaryOutputScale() const {
  return m_Outputs.empty() ? 1 : m_Outputs.front()->scale;
}
