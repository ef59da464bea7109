#include "tests/e2e/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

using namespace std::chrono_literals;

namespace {

// Xvfb writes the display number it chose on this descriptor.
std::optional<std::string> ReadDisplayNumber(int fd, std::chrono::milliseconds timeout) {
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (text.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char buffer[32];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text.substr(0, text.find('\n'));
}

}  // namespace

PrivateXSession::~PrivateXSession() {
  m_Probe.reset();
  m_Tray.reset();
  m_WindowManager.reset();
  m_Server.reset();
  if (!m_TempDir.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_TempDir, ignored);
  }
}

std::string PrivateXSession::Start(int width, int height) {
  char pattern[] = "/tmp/corvane-e2e-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return "no temporary folder";
  m_TempDir = pattern;
  m_ConfigHome = m_TempDir + "/config";
  m_RuntimeDir = m_TempDir + "/runtime";
  std::filesystem::create_directories(m_ConfigHome);
  std::filesystem::create_directories(m_RuntimeDir);
  std::filesystem::permissions(m_RuntimeDir, std::filesystem::perms::owner_all);

  int displayPipe[2];
  if (pipe2(displayPipe, O_CLOEXEC) != 0) return "no pipe";
  ChildOptions serverOptions;
  serverOptions.inheritFd = displayPipe[1];
  m_Server = std::make_unique<ChildProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen",
                               "0", std::to_string(width) + "x" + std::to_string(height) + "x24",
                               "-dpi", "96", "-nolisten", "tcp", "-noreset"},
      serverOptions);
  close(displayPipe[1]);
  const auto number = ReadDisplayNumber(displayPipe[0], 15s);
  close(displayPipe[0]);
  if (!number) return "Xvfb did not start";
  m_Display = ":" + *number;

  m_Probe = std::make_unique<XProbe>(m_Display);
  if (!m_Probe->Connected()) return "cannot connect to " + m_Display;

  ChildOptions session;
  session.environment["DISPLAY"] = m_Display;
  m_WindowManager = Launch({"openbox", "--sm-disable"}, session);
  if (!WaitUntil([&] { return m_Probe->WorkArea().has_value(); }, 15s)) {
    return "openbox did not start on " + m_Display;
  }
  m_Tray = Launch({"trayer", "--edge", "bottom", "--align", "right", "--SetDockType", "true",
                   "--SetPartialStrut", "true", "--widthtype", "request", "--height",
                   std::to_string(kTrayHeight), "--tint", "0x2b2b2b", "--transparent", "false",
                   "--expand", "true"},
                  session);
  // Ready once the window manager has taken the tray's strut off the work area.
  const bool ready = WaitUntil(
      [&] {
        const auto area = m_Probe->WorkArea();
        return TrayHost() != 0 && area && area->height == height - kTrayHeight;
      },
      15s);
  return ready ? "" : "the tray host did not dock on " + m_Display;
}

ChildOptions PrivateXSession::ProgramOptions(const std::string& lang) const {
  ChildOptions options;
  options.environment = {
      {"DISPLAY", m_Display},
      {"QT_QPA_PLATFORM", "xcb"},
      {"HOME", m_TempDir},
      {"XDG_CONFIG_HOME", m_ConfigHome},
      {"XDG_RUNTIME_DIR", m_RuntimeDir},
      {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
      {"LANG", lang},
      {"LC_ALL", std::nullopt},
      {"LC_MESSAGES", std::nullopt},
      {"LANGUAGE", std::nullopt},
  };
  return options;
}

std::unique_ptr<ChildProcess> PrivateXSession::Launch(std::vector<std::string> argv,
                                                      ChildOptions options) {
  options.environment["DISPLAY"] = m_Display;
  return std::make_unique<ChildProcess>(std::move(argv), std::move(options));
}

int PrivateXSession::Tool(std::vector<std::string> argv, std::string* output) {
  ChildOptions options;
  options.environment["DISPLAY"] = m_Display;
  options.captureStdout = output != nullptr;
  ChildProcess tool(std::move(argv), options);
  const auto code = tool.WaitForExit(10s);
  if (tool.Running()) {
    tool.KillGroup(SIGKILL);
    tool.WaitForExit(5s);
  }
  if (output != nullptr) {
    std::string text;
    for (const OutputLine& line : tool.AllLines()) text += line.text + "\n";
    *output = text;
  }
  return code.value_or(-1);
}

xcb_window_t PrivateXSession::TrayHost() {
  for (const xcb_window_t window : m_Probe->WindowsOfClass("trayer")) {
    if (m_Probe->IsViewable(window)) return window;
  }
  return 0;
}
