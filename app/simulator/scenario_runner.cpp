#include "app/simulator/scenario_runner.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "app/simulator/scenario_handover.h"
#include "app/simulator/simulator_trace.h"
#include "platform/detached_thread.h"
#include "platform/utf8_text.h"

SimDeviceSpec SpecFor(SimDeviceKind kind, const std::string& name) {
  switch (kind) {
    case SimDeviceKind::Keyboard:
      return SimKeyboard(name);
    case SimDeviceKind::Mouse:
      return SimMouse(name);
    case SimDeviceKind::FlashKeyboard:
      return SimFlashKeyboard(name);
    case SimDeviceKind::Es2862:
      return SimEs2862(name);
    case SimDeviceKind::Foreign:
      break;
  }
  return SimForeign(name);
}

std::string ScenarioRunner::Execute(const ScenarioCommand& command) {
  using Verb = ScenarioCommand::Verb;
  switch (command.verb) {
    case Verb::Plug: {
      SimDeviceSpec spec = SpecFor(command.kind, command.device);
      spec.accessDenied = command.accessDenied;
      if (m_Backend->Plug(spec).empty()) {
        return "a device named '" + command.device + "' is already plugged in";
      }
      m_Kinds[command.device] = command.kind;
      return {};
    }
    case Verb::Unplug:
      return m_Backend->Unplug(command.device) ? "" : "no device named '" + command.device + "'";
    case Verb::LtKey:
      return Send(command.device, [&](SimDeviceKind k) {
        return LtKeyReport(k, static_cast<uint8_t>(command.value));
      });
    case Verb::RtMode:
      return Send(command.device, [&](SimDeviceKind k) {
        return RtModeReport(k, static_cast<uint8_t>(command.value), command.flag);
      });
    case Verb::Cpi:
      return Send(command.device, [&](SimDeviceKind k) {
        return CpiReport(k, static_cast<uint8_t>(command.value));
      });
    case Verb::Report:
      return Send(command.device, [&](SimDeviceKind) { return command.bytes; });
    case Verb::FullScreen:
      m_Window.Poster().Post(
          PostedMessage(UM_APPBAR, ABN_FULLSCREENAPP, static_cast<intptr_t>(command.value)));
      return {};
    case Verb::Language:
      m_Window.ChooseLanguage(command.language);
      return {};
    case Verb::Close:
      m_Window.Close();
      return {};
    case Verb::Wait:
      break;  // the reading thread waits
  }
  return {};
}

template <typename MakeReport>
std::string ScenarioRunner::Send(const std::string& device, MakeReport makeReport) {
  const auto kind = m_Kinds.find(device);
  if (kind == m_Kinds.end() || !m_Backend->IsPresent(device)) {
    return "no device named '" + device + "'";
  }
  const std::vector<uint8_t> report = makeReport(kind->second);
  if (report.empty()) {
    return "a device of this kind sends no such report";
  }
  if (m_Backend->SendInputReport(device, report) < 0) {
    return "the device has no collection for report ID " + HexBytes(report, 1);
  }
  return {};
}

void ReadScenario(std::istream& input, const UiThreadRunner& onUiThread) {
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    const ScenarioLine parsed = ParseScenarioLine(line);
    if (!parsed.command) {
      if (!parsed.error.empty()) {
        std::fprintf(stderr, "error: %d: %s\n", number, parsed.error.c_str());
      }
      continue;
    }
    const ScenarioCommand& command = *parsed.command;
    if (command.verb == ScenarioCommand::Verb::Wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(command.value));
      continue;
    }
    const std::optional<std::string> error = onUiThread(command);
    if (!error) {
      return;  // the main window is gone: nothing can run any more
    }
    if (!error->empty()) {
      std::fprintf(stderr, "error: %d: %s\n", number, error->c_str());
    }
    if (command.verb == ScenarioCommand::Verb::Close) {
      return;
    }
  }
}

void ReadScenarioFrom(const std::string& path, const UiThreadRunner& onUiThread) {
  if (path.empty()) {
    ReadScenario(std::cin, onUiThread);
    return;
  }
  std::ifstream file(PathFromUtf8(path));
  if (!file) {
    std::fprintf(stderr, "error: cannot read the scenario %s\n", path.c_str());
    return;
  }
  ReadScenario(file, onUiThread);
}

void WriteTraceLine(const std::string& line) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void TraceFeatureReportsSent(SimBackend& backend) {
  backend.SetFeatureObserver([](const SimFeatureRecord& record) {
    if (record.kind == SimFeatureRecord::Kind::Set) {
      WriteTraceLine("feature " + record.device + " " + HexBytes(record.bytes, 16));
    }
  });
}

void StartReadingScenario(std::shared_ptr<ScenarioHandover> handover, ScenarioRunner* runner,
                          std::string path) {
  const bool reading =
      StartDetachedThread([handover = std::move(handover), runner, path = std::move(path)] {
        ReadScenarioFrom(path, [&](const ScenarioCommand& command) -> std::optional<std::string> {
          std::string error;
          if (!handover->Run([&] { error = runner->Execute(command); })) return std::nullopt;
          return error;
        });
      });
  if (!reading) std::fprintf(stderr, "error: cannot start the thread that reads the scenario\n");
}
