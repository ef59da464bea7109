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
#include <utility>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

// An output's scale from its current mode and its logical size (either may
// be rotated), or `integerScale` where either is unknown.
double OutputScale(int32_t modeWidth, int32_t modeHeight, int32_t logicalWidth,
                   int32_t logicalHeight, int32_t integerScale);

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
  // Null when the compositor cannot show a buffer at another size.
  wp_viewporter* Viewporter() const { return m_Viewporter; }
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
  // focused), fractional where the compositor scales by a fraction: the
  // output's mode over its logical size; else its integer scale; 1 when
  // unknown.
  double PrimaryOutputScale() const;
  // That output's mode in device pixels ({0, 0} while unknown), and how
  // many outputs the compositor announced.
  std::pair<int32_t, int32_t> PrimaryOutputMode() const;
  size_t OutputCount() const { return m_Outputs.size(); }

  struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    uint32_t name = 0;
    int32_t scale = 1;
    int32_t modeWidth = 0;
    int32_t modeHeight = 0;
    int32_t logicalWidth = 0;
    int32_t logicalHeight = 0;
  };

 private:
  explicit WaylandSession(wl_display* display);
  static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version);
  static void OnGlobalRemove(void* data, wl_registry* registry, uint32_t name);
  void DescribeOutput(Output& output);

  wl_display* m_Display = nullptr;
  wl_registry* m_Registry = nullptr;
  wl_compositor* m_Compositor = nullptr;
  wl_shm* m_Shm = nullptr;
  zwlr_layer_shell_v1* m_LayerShell = nullptr;
  wp_viewporter* m_Viewporter = nullptr;
  zxdg_output_manager_v1* m_XdgOutputs = nullptr;
  Global m_ForeignToplevels;
  Global m_PlasmaWindows;
  std::vector<std::unique_ptr<Output>> m_Outputs;
};
