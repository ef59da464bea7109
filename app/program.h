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
  // Called once on the way out after `started`, before any window goes:
  // when the message loop has ended, or when start-up fails after it.
  std::function<void()> ending;
};

// Calls the setup's `ending` when it goes; made after the last window, so it
// goes before them: at the end of the message loop and when start-up fails.
class ProgramEndingNotice {
 public:
  explicit ProgramEndingNotice(const ProgramSetup& setup) : m_Setup(setup) {}
  ~ProgramEndingNotice() {
    if (m_Setup.ending) m_Setup.ending();
  }
  ProgramEndingNotice(const ProgramEndingNotice&) = delete;
  ProgramEndingNotice& operator=(const ProgramEndingNotice&) = delete;

 private:
  const ProgramSetup& m_Setup;
};

// Returns the process's exit code: 0, also when another instance runs; 1 when
// the program cannot start (no display, a lock file that is not the user's
// own), after one line on stderr saying why.
int RunProgram(int argc, char** argv, const ProgramSetup& setup);
