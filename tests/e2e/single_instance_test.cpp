// One instance per user: a second start leaves at once and leaves the first
// one alone.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_fixture.h"

using namespace std::chrono_literals;

namespace {

using SingleInstanceTest = WholeProgramTest;

TEST_F(SingleInstanceTest, ASecondStartExitsAtOnceAndLeavesTheFirstRunning) {
  auto first = StartProgram();
  const xcb_window_t icon = WaitForTrayIcon(*first);
  ASSERT_NE(icon, 0u);

  auto second = StartProgram();
  const auto code = second->WaitForExit(30s);
  ASSERT_TRUE(code.has_value()) << "the second instance did not exit";
  EXPECT_EQ(*code, 0);

  EXPECT_TRUE(first->Running());
  EXPECT_EQ(TrayIconOf(*first), icon) << "the first instance lost its icon";
  // A third start after the second one is refused as well: the lock is
  // still the first instance's.
  auto third = StartProgram();
  EXPECT_EQ(third->WaitForExit(30s), std::optional<int>(0));
}

// A lock file that cannot be opened at all (no runtime folder) leaves the
// program without single-instance protection, but running: every start
// gets its tray icon and stays.
TEST_F(SingleInstanceTest, UnopenableLockFileLetsTheProgramRun) {
  ChildOptions options = m_Session.ProgramOptions();
  options.environment["XDG_RUNTIME_DIR"] = m_Session.Home() + "/no-such-folder";
  const std::vector<std::string> program{Executable("corvane-notification")};
  auto first = m_Session.Launch(program, options);
  ASSERT_NE(WaitForTrayIcon(*first), 0u) << "the program did not run";
  auto second = m_Session.Launch(program, options);
  ASSERT_NE(WaitForTrayIcon(*second), 0u) << "the second start did not run";
  EXPECT_TRUE(first->Running());
  EXPECT_TRUE(second->Running());
}

}  // namespace
