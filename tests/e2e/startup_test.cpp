// Starts outside an ordinary desktop session: where the program cannot work
// it says why in one line on stderr and ends with a non-zero code instead of
// crashing; a platform that needs no display, or an odd autostart entry,
// never keeps it from running and ending.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;

namespace {

class StartupTest : public testing::Test {
 protected:
  // The program's environment: no display of any kind unless a row adds
  // one, and a home and runtime folder of the test's own.
  ChildOptions Options(const std::map<std::string, std::optional<std::string>>& row) const {
    ChildOptions options;
    options.captureStderr = true;
    options.environment = {
        {"DISPLAY", std::nullopt},
        {"WAYLAND_DISPLAY", std::nullopt},
        {"WAYLAND_SOCKET", std::nullopt},
        {"QT_QPA_PLATFORM", std::nullopt},
        {"HOME", m_Root},
        {"XDG_CONFIG_HOME", m_Root + "/config"},
        {"XDG_RUNTIME_DIR", m_Root},
        {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
        {"LANG", "en_US.UTF-8"},
    };
    for (const auto& [name, value] : row) options.environment[name] = value;
    return options;
  }

  static std::string Program() {
    return std::string(CORVANE_BINARY_DIR) + "/bin/corvane-notification";
  }

  TempDir m_Temp{"corvane-startup"};
  const std::string m_Root = m_Temp.Folder();
};

TEST_F(StartupTest, WithoutADisplayOneLineOnStderrAndAFailureCode) {
  struct Row {
    const char* what;
    std::map<std::string, std::optional<std::string>> environment;
  } rows[] = {
      {"an X display nobody serves", {{"DISPLAY", ":9876"}}},
      {"no display variable at all", {}},
      {"a Wayland socket that is not there", {{"WAYLAND_DISPLAY", "wayland-77"}}},
      {"X11 asked for, none there", {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":9876"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ChildProcess program({Program()}, Options(row.environment));
    const std::optional<int> code = program.WaitForExit(30s);
    ASSERT_TRUE(code.has_value()) << "still running, or ended by a signal (a crash)";
    EXPECT_NE(*code, 0);
    const std::vector<OutputLine> lines = program.AllLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].text.find("no display"), std::string::npos) << lines[0].text;
  }
}

// Waits until the process has a handler for SIGTERM (its SigCgt mask in
// /proc): sent earlier, on a busy machine, SIGTERM would end it by the
// default action, as a crash.
bool WaitUntilItCatchesSigterm(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with("SigCgt:") &&
          ((std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1) != 0) {
        return true;
      }
    }
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST_F(StartupTest, APlatformThatNeedsNoDisplayRuns) {
  ChildProcess program({Program()},
                       Options({{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":9876"}}));
  EXPECT_FALSE(program.WaitForExit(1500ms).has_value()) << "it did not keep running";
  ASSERT_TRUE(WaitUntilItCatchesSigterm(program.Pid()));
  program.KillGroup(SIGTERM);
  EXPECT_EQ(program.WaitForExit(30s), std::optional<int>(0));
}

TEST_F(StartupTest, ALinkPlantedAtTheFallbackLockRefusesTheStart) {
  const std::string lock = m_Root + "/CorvaneNotification-" + std::to_string(getuid()) + ".lock";
  ASSERT_EQ(symlink((m_Root + "/elsewhere").c_str(), lock.c_str()), 0);
  ChildProcess program({Program()}, Options({{"XDG_RUNTIME_DIR", std::nullopt},
                                             {"TMPDIR", m_Root},
                                             {"QT_QPA_PLATFORM", "offscreen"}}));
  const std::optional<int> code = program.WaitForExit(30s);
  ASSERT_TRUE(code.has_value()) << "it ran on a lock someone else controls";
  EXPECT_NE(*code, 0);
  const std::vector<OutputLine> lines = program.AllLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].text.find(lock), std::string::npos) << lines[0].text;
  EXPECT_FALSE(std::filesystem::exists(m_Root + "/elsewhere"));
}

TEST_F(StartupTest, AFifoAsTheAutostartEntryNeitherHoldsUpTheStartNorTheEnd) {
  const std::string entry = m_Root + "/config/autostart/CorvaneNotification.desktop";
  std::filesystem::create_directories(m_Root + "/config/autostart");
  ASSERT_EQ(mkfifo(entry.c_str(), 0644), 0);
  ChildProcess program({Program()}, Options({{"QT_QPA_PLATFORM", "offscreen"}}));
  EXPECT_FALSE(program.WaitForExit(1500ms).has_value());
  ASSERT_TRUE(WaitUntilItCatchesSigterm(program.Pid())) << "the start is held up";
  program.KillGroup(SIGTERM);
  EXPECT_EQ(program.WaitForExit(30s), std::optional<int>(0)) << "SIGTERM did not end it";
  struct stat status {};
  ASSERT_EQ(lstat(entry.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the entry was changed without a click";
}

}  // namespace
