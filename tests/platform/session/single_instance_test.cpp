#include "platform/session/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

std::string LockPath() {
  return (std::filesystem::temp_directory_path() /
          ("corvane-lock-test-" + std::to_string(getpid()) + ".lock"))
      .string();
}

// Starts a process that holds the lock until it is killed.
pid_t StartHolder(const std::string& path) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    SingleInstanceLock lock("CorvaneNotification", path);
    const char state = lock.Acquire() == SingleInstanceLock::Result::Acquired ? 'y' : 'n';
    if (write(ready[1], &state, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char state = 0;
  if (read(ready[0], &state, 1) != 1 || state != 'y') {
    close(ready[0]);
    return -1;
  }
  close(ready[0]);
  return pid;
}

TEST(SingleInstanceLockTest, SecondProcessIsRefusedWhileTheFirstRuns) {
  const std::string path = LockPath();
  const pid_t holder = StartHolder(path);
  ASSERT_GT(holder, 0);

  SingleInstanceLock second("CorvaneNotification", path);
  EXPECT_EQ(second.Acquire(), SingleInstanceLock::Result::HeldByAnother);

  // A holder killed without any clean-up leaves its lock file behind, but
  // not its lock.
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  ASSERT_TRUE(std::filesystem::exists(path));
  SingleInstanceLock third("CorvaneNotification", path);
  EXPECT_EQ(third.Acquire(), SingleInstanceLock::Result::Acquired);
  std::filesystem::remove(path);
}

TEST(SingleInstanceLockTest, UnopenableLockFileLetsTheProgramRun) {
  SingleInstanceLock lock("CorvaneNotification", "/nonexistent-folder/x.lock");
  EXPECT_EQ(lock.Acquire(), SingleInstanceLock::Result::Unavailable);
}

TEST(SingleInstanceLockTest, DefaultPathIsInTheRuntimeFolder) {
  const char* old = getenv("XDG_RUNTIME_DIR");
  const std::string saved = old != nullptr ? old : "";
  setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(SingleInstanceLock("CorvaneNotification").Path(),
            "/run/user/4242/CorvaneNotification.lock");
  unsetenv("XDG_RUNTIME_DIR");
  const std::string fallback = SingleInstanceLock("CorvaneNotification").Path();
  EXPECT_NE(fallback.find("CorvaneNotification-" + std::to_string(getuid()) + ".lock"),
            std::string::npos)
      << fallback;
  if (old != nullptr) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

}  // namespace
