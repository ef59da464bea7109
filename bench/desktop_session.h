// The simulator in a private X session (Xvfb, openbox, trayer), for the
// benchmarks that watch the whole program from outside.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/x_session.h"

class BenchDesktop {
 public:
  // Empty on success, otherwise what failed.
  std::string Start() { return m_Session.Start(); }

  // corvane-simulator of this build, reading its scenario from a pipe and
  // tracing on a captured standard output.
  std::unique_ptr<ChildProcess> StartSimulator() {
    ChildOptions options = m_Session.ProgramOptions();
    options.pipeStdin = true;
    options.captureStdout = true;
    return m_Session.Launch({std::string(CORVANE_BINARY_DIR) + "/bin/corvane-simulator"}, options);
  }

  // Any other program of the session (a peer to compare with).
  std::unique_ptr<ChildProcess> Launch(std::vector<std::string> argv, ChildOptions options = {}) {
    return m_Session.Launch(std::move(argv), std::move(options));
  }

  // The program's icon window, embedded in the tray host; 0 while there is none.
  xcb_window_t TrayIconOf(const ChildProcess& program) {
    const xcb_window_t host = m_Session.TrayHost();
    XProbe& probe = m_Session.Probe();
    for (const xcb_window_t window : probe.WindowsOfPid(static_cast<uint32_t>(program.Pid()))) {
      if (probe.IsViewable(window) && probe.IsDescendantOf(window, host)) return window;
    }
    return 0;
  }

  bool WaitForTrayIcon(const ChildProcess& program, std::chrono::microseconds poll) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (TrayIconOf(program) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(poll);
    }
    return true;
  }

  XProbe& Probe() { return m_Session.Probe(); }

 private:
  PrivateXSession m_Session;
};
