#include "app/simulator/simulator_setup.h"

#include <utility>

#include "platform/sim/sim_backend.h"
#include "popups/popup_trace.h"

namespace {

// What a scenario holds from the main window's start until the program's
// end.
struct SimulatorState {
  SimulatorShell shell;
  std::shared_ptr<SimBackend> backend = std::make_shared<SimBackend>();
  std::unique_ptr<ScenarioWindow> window;
  std::unique_ptr<ScenarioRunner> runner;
  std::shared_ptr<ScenarioHandover> handover;
};

}  // namespace

ProgramSetup SimulatorSetup(SimulatorShell shell) {
  auto state = std::make_shared<SimulatorState>();
  state->shell = std::move(shell);
  TraceFeatureReportsSent(*state->backend);

  ProgramSetup setup;
  setup.makeBackend = [state] { return state->backend; };
  setup.started = [state](TMainForm& form) {
    SetPopupTrace(&WriteTraceLine);
    state->window = state->shell.makeWindow(form);
    state->runner = std::make_unique<ScenarioRunner>(state->backend, *state->window);
    state->handover = ScenarioHandover::Create(state->shell.uiThreadPost(form));
    // The thread may still be reading after the window, and main, are gone.
    StartReadingScenario(state->handover, state->runner.get(), state->shell.scenarioPath);
  };
  setup.ending = [state] {
    if (state->handover) state->handover->Close();
  };
  return setup;
}
