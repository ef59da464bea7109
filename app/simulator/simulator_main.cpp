// corvane-simulator: the whole program on simulated devices, driven by a
// scenario (a file given as the argument, or standard input). Prints a trace
// line on standard output for every message the main window handles, every
// feature report a simulated device receives and every popup shown or
// hidden; refused scenario lines go to standard error.
#include <QMetaObject>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/MainUnit.h"
#include "app/program.h"
#include "app/simulator/scenario.h"
#include "app/simulator/simulator_trace.h"
#include "platform/sim/sim_backend.h"
#include "popups/popup_trace.h"

namespace {

std::mutex g_TraceMutex;

void Trace(const std::string& line) {
  std::lock_guard lock(g_TraceMutex);
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

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

class ScenarioRunner {
 public:
  ScenarioRunner(std::shared_ptr<SimBackend> backend, TMainForm& form)
      : m_Backend(std::move(backend)), m_Form(form) {}

  // Runs on the user-interface thread. Returns an error text, or "".
  std::string Execute(const ScenarioCommand& command) {
    using Verb = ScenarioCommand::Verb;
    switch (command.verb) {
      case Verb::Plug:
        if (m_Backend->Plug(SpecFor(command.kind, command.device)).empty()) {
          return "a device named '" + command.device + "' is already plugged in";
        }
        m_Kinds[command.device] = command.kind;
        return {};
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
        m_Form.Poster().Post(Message{UM_APPBAR, ABN_FULLSCREENAPP,
                                     static_cast<intptr_t>(command.value), 0, nullptr});
        return {};
      case Verb::Language: {
        QAction* item = command.language == "ChineseS"   ? m_Form.N4
                        : command.language == "ChineseT" ? m_Form.N5
                                                         : m_Form.N6;
        item->trigger();
        return {};
      }
      case Verb::Close:
        m_Form.N1Click();
        return {};
      case Verb::Wait:
        break;  // the reading thread waits
    }
    return {};
  }

 private:
  template <typename MakeReport>
  std::string Send(const std::string& device, MakeReport makeReport) {
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

  std::shared_ptr<SimBackend> m_Backend;
  TMainForm& m_Form;
  std::map<std::string, SimDeviceKind> m_Kinds;
};

void ReadScenario(std::istream& input, ScenarioRunner& runner, TMainForm& form) {
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
    std::string error;
    QMetaObject::invokeMethod(
        &form, [&] { error = runner.Execute(command); }, Qt::BlockingQueuedConnection);
    if (!error.empty()) {
      std::fprintf(stderr, "error: %d: %s\n", number, error.c_str());
    }
    if (command.verb == ScenarioCommand::Verb::Close) {
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string scenarioPath = argc > 1 ? argv[1] : "";
  auto backend = std::make_shared<SimBackend>();
  backend->SetFeatureObserver([](const SimFeatureRecord& record) {
    if (record.kind == SimFeatureRecord::Kind::Set) {
      Trace("feature " + record.device + " " + HexBytes(record.bytes, 16));
    }
  });

  std::unique_ptr<ScenarioRunner> runner;
  ProgramSetup setup;
  setup.makeBackend = [backend] { return backend; };
  setup.started = [&](TMainForm& form) {
    form.SetMessageTrace([](const Message& m) { Trace(MessageTraceLine(m)); });
    SetPopupTrace(&Trace);
    runner = std::make_unique<ScenarioRunner>(backend, form);
    std::thread([&form, &runner, scenarioPath] {
      if (scenarioPath.empty()) {
        ReadScenario(std::cin, *runner, form);
        return;
      }
      std::ifstream file(scenarioPath);
      if (!file) {
        std::fprintf(stderr, "error: cannot read the scenario %s\n", scenarioPath.c_str());
        return;
      }
      ReadScenario(file, *runner, form);
    }).detach();
  };
  return RunProgram(argc, argv, setup);
}
