// How the program ends on a signal: SIGTERM while scenario lines are still
// coming, SIGHUP as SIGTERM (the devices switched back), and a signal while
// the start-up error box is on screen.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;

namespace {

namespace fs = std::filesystem;

class TerminationTest : public WholeProgramTest {
 protected:
  // Starts the simulator with a keyboard plugged in and switched into
  // notification mode.
  std::unique_ptr<ChildProcess> StartWithKeyboard() {
    auto simulator = StartSimulator();
    EXPECT_TRUE(simulator->Started());
    simulator->Send("plug kb1 keyboard");
    EXPECT_TRUE(simulator->WaitForLine([](const std::string& l) { return l == kEnter; }, 20s))
        << "the keyboard was not switched into notification mode";
    return simulator;
  }

  static bool SwitchedBack(ChildProcess& program) {
    for (const OutputLine& line : program.AllLines()) {
      if (line.text == kLeave) return true;
    }
    return false;
  }

  static constexpr const char* kEnter =
      "feature kb1 07 09 00 00 00 00 00 00 01 00 00 00 00 00 00 00";
  static constexpr const char* kLeave =
      "feature kb1 07 09 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
};

// The scenario thread hands every line to the main window; a SIGTERM that
// closes the window while lines remain must not leave the thread calling
// into a window that is gone.
TEST_F(TerminationTest, SigtermWithScenarioLinesLeftEndsTheSimulatorCleanly) {
  constexpr int kRuns = 8;
  constexpr int kLinesLeft = 3000;  // 45 KB: all of it fits in the pipe
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    std::unique_ptr<ChildProcess> simulator = StartWithKeyboard();
    if (HasFailure()) return;
    for (int i = 0; i < kLinesLeft; ++i) {
      ASSERT_TRUE(simulator->Send(i % 2 == 0 ? "fullscreen on" : "fullscreen off"));
    }
    // The lines are being carried out when the signal comes.
    ASSERT_TRUE(simulator->WaitForLine(
        [](const std::string& l) { return l.starts_with("message 1028"); }, 20s));
    simulator->KillGroup(SIGTERM);
    const std::optional<int> code = simulator->WaitForExit(30s);
    ASSERT_TRUE(code.has_value()) << "the simulator crashed or did not end";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(SwitchedBack(*simulator)) << "the keyboard was left in notification mode";
  }
}

// A hang-up (the terminal closed) ends the program as SIGTERM does: the
// devices are switched back out of notification mode first.
TEST_F(TerminationTest, SighupSwitchesTheDevicesBackAndEnds) {
  std::unique_ptr<ChildProcess> simulator = StartWithKeyboard();
  if (HasFailure()) return;
  simulator->KillGroup(SIGHUP);
  const std::optional<int> code = simulator->WaitForExit(30s);
  ASSERT_TRUE(code.has_value()) << "SIGHUP killed the program, or it did not end";
  EXPECT_EQ(*code, 0);
  EXPECT_TRUE(SwitchedBack(*simulator)) << "the keyboard was left in notification mode";
}

// A start-up error leaves a message box on screen after the main window has
// gone; a signal still ends the program then, and frees its lock for a new
// start.
TEST_F(TerminationTest, ASignalEndsTheProgramWhileTheStartupErrorBoxShows) {
  // A copy of the program beside a Data folder with a broken skin.
  TempDir copy("corvane-broken-skin");
  const fs::path folder = copy.Folder();
  fs::copy_file(Executable("corvane-notification"), folder / "corvane-notification");
  fs::copy(fs::path(Executable("Data")), folder / "Data", fs::copy_options::recursive);
  const fs::path skin = folder / "Data" / "LTKeyHint" / "UI.txt";
  std::stringstream text;
  text << std::ifstream(skin).rdbuf();
  std::string content = text.str();
  const std::string position = "lb_LTKey->Position=rectp,0,";
  const size_t at = content.find(position);
  ASSERT_NE(at, std::string::npos) << "the skin has changed; break another of its values";
  content.insert(at + position.size(), "x");
  std::ofstream(skin, std::ios::trunc) << content;

  for (const int signalNumber : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signalNumber);
    ChildOptions options = m_Session.ProgramOptions();
    options.captureStderr = true;
    auto broken = m_Session.Launch({(folder / "corvane-notification").string()}, options);
    ASSERT_TRUE(broken->WaitForLine(
        [](const std::string& l) { return l.find("not a valid integer") != std::string::npos; },
        20s))
        << "the broken skin did not stop the start";
    // The box is on screen.
    ASSERT_TRUE(WaitUntil(
        [&] {
          for (const xcb_window_t window :
               Probe().WindowsOfPid(static_cast<uint32_t>(broken->Pid()))) {
            if (Probe().IsViewable(window)) return true;
          }
          return false;
        },
        20s))
        << "no error box";
    broken->KillGroup(signalNumber);
    const std::optional<int> code = broken->WaitForExit(30s);
    ASSERT_TRUE(code.has_value()) << "the signal did not end the program";
    EXPECT_EQ(*code, 0);
  }
  // The lock is free: the program starts and shows its icon.
  auto program = StartProgram();
  EXPECT_NE(WaitForTrayIcon(*program), 0u) << "a new start did not run";
}

}  // namespace
