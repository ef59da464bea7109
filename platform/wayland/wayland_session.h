// One connection of the program's own to the Wayland compositor, beside the
// toolkit's: it carries the popups' layer surfaces and the report of the
// compositor's toplevel windows, whichever window system the toolkit uses.
//
// Single-threaded: every call, and the handling of what arrives (Dispatch),
// runs on the thread that made the session.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct zwlr_layer_shell_v1;

class WaylandSession {
 public:
  // Null when no compositor is named by WAYLAND_DISPLAY (an X11 session or
  // none) or it cannot be reached, or it lacks the core globals.
  static std::unique_ptr<WaylandSession> Connect();
  ~WaylandSession();
  WaylandSession(const WaylandSession&) = delete;
  WaylandSession& operator=(const WaylandSession&) = delete;

  // The descriptor to watch for reading; Dispatch when it is readable.
  int Fd() const;
  // Reads what arrived and runs its handlers, then sends what they queued.
  // False once the connection is lost.
  bool Dispatch();
  // Sends queued requests.
  void Flush();
  // Sends queued requests and handles every answer to them.
  bool Roundtrip();

  wl_display* Display() const { return m_Display; }
  wl_compositor* Compositor() const { return m_Compositor; }
  wl_shm* Shm() const { return m_Shm; }
  zwlr_layer_shell_v1* LayerShell() const { return m_LayerShell; }
  // Globals that announce their state as soon as they are bound: the watch
  // binds them itself, once its listener is ready. Name 0: not offered.
  struct Global {
    uint32_t name = 0;
    uint32_t version = 0;
  };
  Global ForeignToplevels() const { return m_ForeignToplevels; }
  Global PlasmaWindows() const { return m_PlasmaWindows; }
  wl_registry* Registry() const { return m_Registry; }

  // The scale of the first output the compositor announced (the one a
  // layer surface without an output lands on when nothing else is
  // focused); 1 when unknown.
  int32_t PrimaryOutputScale() const;

  struct Output {
    wl_output* output = nullptr;
    uint32_t name = 0;
    int32_t scale = 1;
  };

 private:
  explicit WaylandSession(wl_display* display);
  static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version);
  static void OnGlobalRemove(void* data, wl_registry* registry, uint32_t name);

  wl_display* m_Display = nullptr;
  wl_registry* m_Registry = nullptr;
  wl_compositor* m_Compositor = nullptr;
  wl_shm* m_Shm = nullptr;
  zwlr_layer_shell_v1* m_LayerShell = nullptr;
  Global m_ForeignToplevels;
  Global m_PlasmaWindows;
  std::vector<std::unique_ptr<Output>> m_Outputs;
};
