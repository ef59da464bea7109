// The entry point's steps, shared by the program and the simulator: one
// instance per user, the windows in their order, the message loop, and the
// standard exception report for what escapes start-up.
#pragma once

#include <functional>

#include "platform/hid_backend.h"

class TMainForm;

struct ProgramSetup {
  // The device backend that IO_HID uses; created once the application
  // object exists.
  std::function<std::shared_ptr<HidBackend>()> makeBackend;
  // Called once every window exists, before the message loop starts.
  std::function<void(TMainForm&)> started;
};

// Returns the process's exit code: 0, also when another instance runs; 1 when
// the program cannot start (no display, a lock file that is not the user's
// own), after one line on stderr saying why.
int RunProgram(int argc, char** argv, const ProgramSetup& setup);
