// Without a tray host the program says so once on stderr and shows its icon
// when a host starts; with one it says nothing.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include "tests/e2e/e2e_fixture.h"

using namespace std::chrono_literals;

namespace {

bool IsNoTrayLine(const OutputLine& line) {
  return line.text.find("no system tray is available") != std::string::npos;
}

// The session starts without trayer; SetUp of WholeProgramTest is replaced.
class NoTrayHostTest : public WholeProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_Session.Start(1920, 1080, /*trayHost=*/false), "") << "the private X session";
  }
};

std::unique_ptr<ChildProcess> StartCapturingStderr(PrivateXSession& session,
                                                   const std::string& executable) {
  ChildOptions options = session.ProgramOptions();
  options.captureStderr = true;
  return session.Launch({executable}, options);
}

TEST_F(NoTrayHostTest, SaysOnceThatThereIsNoTrayAndDocksWhenOneStarts) {
  auto program = StartCapturingStderr(m_Session, Executable("corvane-notification"));
  ASSERT_TRUE(program->WaitForLine(
      [](const std::string& l) {
        return IsNoTrayLine({{}, l});
      },
      20s))
      << "nothing said about the missing tray";
  ASSERT_EQ(m_Session.StartTrayHost(), "");
  EXPECT_NE(WaitForTrayIcon(*program), 0u) << "the icon did not appear in the new tray";
  program->KillGroup(SIGTERM);
  ASSERT_EQ(program->WaitForExit(30s), std::optional<int>(0));
  const std::vector<OutputLine> lines = program->AllLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsNoTrayLine), 1);
}

using TrayHostTest = WholeProgramTest;

TEST_F(TrayHostTest, WithATrayNothingIsSaid) {
  auto program = StartCapturingStderr(m_Session, Executable("corvane-notification"));
  ASSERT_NE(WaitForTrayIcon(*program), 0u);
  program->KillGroup(SIGTERM);
  ASSERT_EQ(program->WaitForExit(30s), std::optional<int>(0));
  const std::vector<OutputLine> lines = program->AllLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsNoTrayLine), 0);
}

}  // namespace
