// A private X session for one test, as scripts/x-session.sh starts it (an
// Xvfb server on a display number it picks itself, the openbox window
// manager and the trayer tray host docked at the bottom with a strut), plus
// a throwaway home for the program's configuration and runtime files.
// Everything it started ends with it.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_probe.h"

class PrivateXSession {
 public:
  static constexpr int kTrayHeight = 28;

  PrivateXSession() = default;
  ~PrivateXSession();

  // Empty on success, otherwise what failed. Without `trayHost` the session
  // has no tray until a test starts one (StartTrayHost).
  std::string Start(int width = 1920, int height = 1080, bool trayHost = true);
  // Starts trayer as the session script does; empty once it has docked.
  std::string StartTrayHost();

  const std::string& Display() const { return m_Display; }
  XProbe& Probe() { return *m_Probe; }
  // The folder that stands in for $HOME, $XDG_CONFIG_HOME and $XDG_RUNTIME_DIR.
  const std::string& ConfigHome() const { return m_ConfigHome; }
  const std::string& RuntimeDir() const { return m_RuntimeDir; }
  const std::string& Home() const { return m_Home; }

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
  ::TempDir m_Temp{"corvane-e2e"};
  const std::string m_Home = m_Temp.Folder();
  const std::string m_ConfigHome = m_Home + "/config";
  const std::string m_RuntimeDir = m_Home + "/runtime";
  std::unique_ptr<ChildProcess> m_Session;
  std::unique_ptr<ChildProcess> m_TrayHost;
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
