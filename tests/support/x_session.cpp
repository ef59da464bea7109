#include "tests/support/x_session.h"

#include <csignal>
#include <filesystem>

using namespace std::chrono_literals;

PrivateXSession::~PrivateXSession() {
  m_Probe.reset();
  m_TrayHost.reset();
  m_Session.reset();
}

std::string PrivateXSession::Start(int width, int height, bool trayHost) {
  std::filesystem::create_directories(m_ConfigHome);
  std::filesystem::create_directories(m_RuntimeDir);
  std::filesystem::permissions(m_RuntimeDir, std::filesystem::perms::owner_all);

  // The script keeps the session while its input stays open.
  ChildOptions options;
  options.pipeStdin = true;
  options.captureStdout = true;
  options.environment["CORVANE_SESSION_NO_TRAY"] =
      trayHost ? std::nullopt : std::optional<std::string>("1");
  m_Session = std::make_unique<ChildProcess>(
      std::vector<std::string>{"bash", std::string(CORVANE_SOURCE_DIR) + "/scripts/x-session.sh",
                               std::to_string(width) + "x" + std::to_string(height), "96"},
      options);
  const auto display =
      m_Session->WaitForLine([](const std::string& line) { return line.starts_with(":"); }, 60s);
  if (!display) return "the X session did not start";
  m_Display = display->text;

  m_Probe = std::make_unique<XProbe>(m_Display);
  if (!m_Probe->Connected()) return "cannot connect to " + m_Display;
  if (!trayHost) {
    const bool ready = WaitUntil([&] { return m_Probe->WorkArea().has_value(); }, 15s);
    return ready ? "" : "the window manager did not start on " + m_Display;
  }
  // Ready once the window manager has taken the tray's strut off the work area.
  const bool ready = WaitUntil(
      [&] {
        const auto area = m_Probe->WorkArea();
        return TrayHost() != 0 && area && area->height == height - kTrayHeight;
      },
      30s);
  return ready ? "" : "the tray host did not dock on " + m_Display;
}

std::string PrivateXSession::StartTrayHost() {
  m_TrayHost = Launch({"trayer", "--edge", "bottom", "--align", "right", "--SetDockType", "true",
                       "--SetPartialStrut", "true", "--widthtype", "request", "--height",
                       std::to_string(kTrayHeight), "--expand", "true"},
                      {});
  return WaitUntil([&] { return TrayHost() != 0; }, 15s) ? "" : "trayer did not start";
}

ChildOptions PrivateXSession::ProgramOptions(const std::string& lang) const {
  ChildOptions options;
  options.environment = {
      {"DISPLAY", m_Display},
      {"QT_QPA_PLATFORM", "xcb"},
      {"HOME", m_Home},
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
  const auto code = tool.WaitForExit(30s);
  if (tool.Running()) {
    tool.KillGroup(SIGKILL);
    tool.WaitForExit(30s);
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
