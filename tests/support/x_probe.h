// What the tests look at in the X server: windows, their owners, states and
// places, the work area, the active window and the pixels on screen. Reads
// only; the tests act through xdotool and wmctrl like a user would.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct Screenshot {
  ScreenRect area;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * area.width + x)]; }
  bool WritePpm(const std::string& path) const;
};

class XProbe {
 public:
  explicit XProbe(const std::string& display);
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  bool Connected() const { return m_Connection != nullptr; }
  xcb_window_t Root() const { return m_Root; }
  ScreenRect ScreenSize() const;

  xcb_atom_t Atom(const std::string& name);
  xcb_window_t ActiveWindow();
  std::optional<ScreenRect> WorkArea();

  // Every window in the tree whose _NET_WM_PID is `pid`.
  std::vector<xcb_window_t> WindowsOfPid(uint32_t pid);
  // Top-level windows (and their descendants) whose WM_CLASS holds `name`.
  std::vector<xcb_window_t> WindowsOfClass(const std::string& name);
  std::vector<xcb_window_t> WindowsNamed(const std::string& name);

  bool IsViewable(xcb_window_t window);
  // Mapped by the X server without the window manager.
  bool IsOverrideRedirect(xcb_window_t window);
  bool IsDescendantOf(xcb_window_t window, xcb_window_t ancestor);
  std::optional<ScreenRect> RootGeometry(xcb_window_t window);
  std::string Name(xcb_window_t window);
  bool HasState(xcb_window_t window, const std::string& stateAtom);

  std::optional<Screenshot> Grab(const ScreenRect& area);

 private:
  std::vector<uint32_t> Cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
  std::string Text(xcb_window_t window, xcb_atom_t property);
  std::vector<xcb_window_t> Children(xcb_window_t window);
  void Walk(xcb_window_t window, std::vector<xcb_window_t>& all);

  xcb_connection_t* m_Connection = nullptr;
  xcb_window_t m_Root = 0;
  int m_Width = 0;
  int m_Height = 0;
};
