// A test of the whole program: a private X session of its own, and the real
// executables of the build started in it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/x_session.h"

class WholeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string failure = m_Session.Start();
    ASSERT_EQ(failure, "") << "the private X session";
  }

  static std::string Executable(const std::string& name) {
    return std::string(CORVANE_BINARY_DIR) + "/bin/" + name;
  }

  // corvane-notification, on this machine's (usually absent) hidraw devices.
  std::unique_ptr<ChildProcess> StartProgram(const std::string& lang = "en_US.UTF-8") {
    return m_Session.Launch({Executable("corvane-notification")}, m_Session.ProgramOptions(lang));
  }

  // corvane-simulator, reading its scenario from the pipe the test writes to;
  // `environment` adds to (or, with std::nullopt, removes from) the session's.
  std::unique_ptr<ChildProcess> StartSimulator(
      const std::string& lang = "en_US.UTF-8",
      const std::map<std::string, std::optional<std::string>>& environment = {}) {
    ChildOptions options = m_Session.ProgramOptions(lang);
    for (const auto& [name, value] : environment) options.environment[name] = value;
    options.pipeStdin = true;
    options.captureStdout = true;
    return m_Session.Launch({Executable("corvane-simulator")}, options);
  }

  // The program's icon window, embedded in the tray host; 0 if there is none.
  xcb_window_t TrayIconOf(const ChildProcess& program) {
    const xcb_window_t host = m_Session.TrayHost();
    for (const xcb_window_t window : Probe().WindowsOfPid(static_cast<uint32_t>(program.Pid()))) {
      if (Probe().IsViewable(window) && Probe().IsDescendantOf(window, host)) return window;
    }
    return 0;
  }

  xcb_window_t WaitForTrayIcon(const ChildProcess& program) {
    xcb_window_t icon = 0;
    WaitUntil([&] { return (icon = TrayIconOf(program)) != 0; }, std::chrono::seconds(15));
    return icon;
  }

  XProbe& Probe() { return m_Session.Probe(); }

  PrivateXSession m_Session;
};
