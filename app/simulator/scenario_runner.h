// Running a scenario against the whole program: each command is carried
// out on the user-interface thread through the window system's own way of
// handing work over, so the program sees the same calls as from a user.
#pragma once

#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/simulator/scenario.h"
#include "platform/message.h"
#include "platform/sim/sim_backend.h"

// What a scenario asks of the main window beyond the simulated devices.
class ScenarioWindow {
 public:
  virtual ~ScenarioWindow() = default;
  virtual MessagePoster& Poster() = 0;
  // "English", "ChineseS" or "ChineseT": as the tray menu's item does.
  virtual void ChooseLanguage(const std::string& language) = 0;
  // As the tray menu's Close does.
  virtual void Close() = 0;
};

SimDeviceSpec SpecFor(SimDeviceKind kind, const std::string& name);

class ScenarioRunner {
 public:
  ScenarioRunner(std::shared_ptr<SimBackend> backend, ScenarioWindow& window)
      : m_Backend(std::move(backend)), m_Window(window) {}

  // Runs on the user-interface thread. Returns an error text, or "".
  std::string Execute(const ScenarioCommand& command);

 private:
  template <typename MakeReport>
  std::string Send(const std::string& device, MakeReport makeReport);

  std::shared_ptr<SimBackend> m_Backend;
  ScenarioWindow& m_Window;
  std::map<std::string, SimDeviceKind> m_Kinds;
};

// Runs `command` on the user-interface thread and waits for its error text;
// none when the program is ending and the command was not run.
using UiThreadRunner = std::function<std::optional<std::string>(const ScenarioCommand& command)>;

// Reads scenario lines until the end, Close, or the program's end, on the
// calling thread: waits itself, hands every other command to `onUiThread`,
// and writes refused lines to standard error as "error: LINE: REASON".
void ReadScenario(std::istream& input, const UiThreadRunner& onUiThread);

// The scenario at `path`, or standard input for an empty path.
void ReadScenarioFrom(const std::string& path, const UiThreadRunner& onUiThread);

class ScenarioHandover;
// Reads the scenario at `path` (standard input when empty) on a thread of
// its own, running each command on the user-interface thread through
// `handover`. The thread holds nothing but the handover it co-owns and the
// runner, which must stay until the handover is closed. Says so on standard
// error when no thread can be made.
void StartReadingScenario(std::shared_ptr<ScenarioHandover> handover, ScenarioRunner* runner,
                          std::string path);

// The simulator's trace: one line on standard output per call, from any
// thread.
void WriteTraceLine(const std::string& line);

// Traces every feature report a simulated device receives:
// "feature NAME" and its first 16 bytes.
void TraceFeatureReportsSent(SimBackend& backend);
