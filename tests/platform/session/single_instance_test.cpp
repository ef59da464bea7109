#include "platform/session/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/support/temp_dir.h"

namespace {

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
  const TempDir folder("corvane-lock");
  const std::string path = folder.PathOf("CorvaneNotification.lock");
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
}

TEST(SingleInstanceLockTest, UnopenableLockFileIsUnavailable) {
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

// What may lie at the lock's name before the start, in a folder others can
// write to, and whether the lock is taken there.
TEST(SingleInstanceLockTest, UsesOnlyAPrivateFileOfTheUsersOwn) {
  using Result = SingleInstanceLock::Result;
  const TempDir temp("corvane-lock-folder");
  const std::string folder = temp.Folder();
  const std::string path = folder + "/CorvaneNotification-1000.lock";
  const std::string elsewhere = folder + "/victim";
  const auto plantFile = [&](mode_t mode, uid_t owner) {
    std::ofstream(path) << "";
    chmod(path.c_str(), mode);
    return chown(path.c_str(), owner, static_cast<gid_t>(-1)) == 0;
  };
  struct Case {
    const char* what;
    std::function<bool()> plant;  // false: this case cannot be set up here
    Result expected;
  } cases[] = {
      {"nothing", [] { return true; }, Result::Acquired},
      {"the user's own file left by an earlier run", [&] { return plantFile(0600, geteuid()); },
       Result::Acquired},
      {"a link to another file",
       [&] {
         std::ofstream(elsewhere) << "keep";
         return symlink(elsewhere.c_str(), path.c_str()) == 0;
       },
       Result::NotPrivate},
      {"a link to nowhere", [&] { return symlink(elsewhere.c_str(), path.c_str()) == 0; },
       Result::NotPrivate},
      {"another user's file", [&] { return plantFile(0666, 65534); }, Result::NotPrivate},
      {"the user's file that others may open", [&] { return plantFile(0666, geteuid()); },
       Result::NotPrivate},
      {"a FIFO", [&] { return mkfifo(path.c_str(), 0600) == 0; }, Result::NotPrivate},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path);
    std::filesystem::remove(elsewhere);
    if (!c.plant()) {
      continue;  // changing a file's owner needs root
    }
    const bool targetExisted = std::filesystem::exists(elsewhere);
    SingleInstanceLock lock("CorvaneNotification", path);
    const Result result = lock.Acquire();
    EXPECT_EQ(result, c.expected);
    if (result == Result::NotPrivate) {
      EXPECT_FALSE(lock.Problem().empty());
    }
    if (c.expected == Result::Acquired) {
      struct stat status {};
      ASSERT_EQ(lstat(path.c_str(), &status), 0);
      EXPECT_TRUE(S_ISREG(status.st_mode));
      EXPECT_EQ(status.st_uid, geteuid());
      EXPECT_EQ(status.st_mode & 0777, 0600u);
    }
    // Whatever a link pointed at is neither created nor changed.
    EXPECT_EQ(std::filesystem::exists(elsewhere), targetExisted);
    if (targetExisted) {
      std::ifstream target(elsewhere);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), "keep");
    }
  }
}

}  // namespace
