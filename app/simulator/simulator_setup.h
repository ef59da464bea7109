// The simulator's start-up, the same for every toolkit: the simulated
// devices with their feature reports traced, the popups traced, and the
// scenario read on a thread of its own once the main window exists, each
// command run on the user-interface thread in the toolkit's own way.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/simulator/scenario_handover.h"
#include "app/simulator/scenario_runner.h"

struct SimulatorShell {
  // The scenario file; standard input when empty.
  std::string scenarioPath;
  // The window the scenario drives, made once the main window exists; it
  // traces every message the main window handles.
  std::function<std::unique_ptr<ScenarioWindow>(TMainForm& form)> makeWindow;
  // How a call reaches the user-interface thread, asked once the main
  // window exists.
  std::function<ScenarioHandover::PostToUiThread(TMainForm& form)> uiThreadPost;
};

// The setup to run the program with. The scenario's window and runner live
// as long as the setup does, which must outlive RunProgram.
ProgramSetup SimulatorSetup(SimulatorShell shell);
