// A private X session for one test: an Xvfb server on a display number it
// picks itself, the openbox window manager and the trayer tray host docked
// at the bottom with a strut, plus a throwaway home for the program's
// configuration and runtime files. Everything it started ends with it.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/e2e/x_probe.h"

class PrivateXSession {
 public:
  static constexpr int kTrayHeight = 28;

  PrivateXSession() = default;
  ~PrivateXSession();

  // Empty on success, otherwise what failed.
  std::string Start(int width = 1920, int height = 1080);

  const std::string& Display() const { return m_Display; }
  XProbe& Probe() { return *m_Probe; }
  // The folder that stands in for $HOME, $XDG_CONFIG_HOME and $XDG_RUNTIME_DIR.
  const std::string& ConfigHome() const { return m_ConfigHome; }
  const std::string& RuntimeDir() const { return m_RuntimeDir; }
  const std::string& TempDir() const { return m_TempDir; }

  // The environment a program of this session runs with: this display, the
  // X11 platform, no session bus (the tray is XEmbed's), an English locale.
  ChildOptions ProgramOptions(const std::string& lang = "en_US.UTF-8") const;

  // Starts a program of the session; it ends with the session at the latest.
  std::unique_ptr<ChildProcess> Launch(std::vector<std::string> argv, ChildOptions options);
  // Runs a tool (xdotool, wmctrl …) to its end: its exit code and output.
  int Tool(std::vector<std::string> argv, std::string* output = nullptr);

  xcb_window_t TrayHost();

 private:
  std::string m_Display;
  std::string m_TempDir;
  std::string m_ConfigHome;
  std::string m_RuntimeDir;
  std::unique_ptr<ChildProcess> m_Server;
  std::unique_ptr<ChildProcess> m_WindowManager;
  std::unique_ptr<ChildProcess> m_Tray;
  std::unique_ptr<XProbe> m_Probe;
};

// Polls `condition` every 20 ms until it holds or `timeout` passes.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}
