#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "platform/linux/session/xdg_autostart.h"
#include "tests/support/file_overrides.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class AutostartTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("XDG_CONFIG_HOME");
    m_HadConfigHome = old != nullptr;
    if (m_HadConfigHome) m_OldConfigHome = old;
    setenv("XDG_CONFIG_HOME", m_Root.c_str(), 1);
  }
  void TearDown() override {
    if (m_HadConfigHome) {
      setenv("XDG_CONFIG_HOME", m_OldConfigHome.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    chmod(m_Root.c_str(), 0700);  // so that the folder can go
  }
  static std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }
  void WriteHiddenEntryOfSize(size_t size) {
    const std::string head = "[Desktop Entry]\nExec=x\nHidden=true\n#";
    WriteRaw(head + std::string(size - head.size() - 1, 'x') + "\n");
  }
  void WriteRaw(const std::string& content) {
    fs::create_directories(m_Root + "/autostart");
    std::ofstream(AutostartEntryPath("CorvaneNotification")) << content;
  }

  TempDir m_Temp{"corvane-autostart"};
  const std::string m_Root = m_Temp.Folder();
  bool m_HadConfigHome = false;
  std::string m_OldConfigHome;
};

TEST_F(AutostartTest, EntryGoesUnderXdgConfigHome) {
  EXPECT_EQ(AutostartEntryPath("CorvaneNotification"),
            m_Root + "/autostart/CorvaneNotification.desktop");
}

TEST_F(AutostartTest, WriteThenRemoveTogglesTheSetState) {
  EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
  WriteAutostartEntry("CorvaneNotification", "/usr/bin/corvane-notification");
  EXPECT_TRUE(IsAutoStartSet("CorvaneNotification"));
  const std::string content = Read(AutostartEntryPath("CorvaneNotification"));
  EXPECT_NE(content.find("Exec=\"/usr/bin/corvane-notification\"\n"), std::string::npos) << content;
  EXPECT_NE(content.find("Type=Application\n"), std::string::npos);
  // No temporary file is left beside the entry.
  EXPECT_EQ(std::distance(fs::directory_iterator(m_Root + "/autostart"), fs::directory_iterator{}),
            1);

  RemoveAutostartEntry("CorvaneNotification");
  EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
  RemoveAutostartEntry("CorvaneNotification");  // removing twice is harmless
}

TEST_F(AutostartTest, ForeignNonEmptyEntryCountsAsSet) {
  WriteRaw("[Desktop Entry]\nType=Application\nExec=/opt/other/program --flag\n");
  EXPECT_TRUE(IsAutoStartSet("CorvaneNotification"));
}

TEST_F(AutostartTest, WhatCountsAsSet) {
  static const std::string binary("\0\xff\xfe[", 4);
  struct Case {
    std::string_view content;
    bool set;
  } cases[] = {
      {"[Desktop Entry]\nExec=x\n", true},
      {"[Desktop Entry]\nExec = x \nHidden=false\n", true},
      {"[Desktop Entry]\nExec=x\nHidden=true\n", false},
      {"[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n", false},
      {"[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=true\n", true},
      {"[Desktop Entry]\nExec=\n", false},
      {"[Desktop Entry]\nName=x\n", false},
      {"[Other Group]\nExec=x\n", false},
      {"[Desktop Entry]\r\nExec=x\r\n", true},
      {"", false},
      {binary, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AutostartEntryContentIsSet(c.content), c.set) << c.content;
  }
}

// IsAutoStartSet asked in a child process of limited memory that is killed
// after 5 s: none when it hung or died. The limit is 512 MiB above what the
// process already maps, which under AddressSanitizer is terabytes of shadow.
std::optional<bool> AskInChild() {
  size_t mappedPages = 0;
  std::ifstream("/proc/self/statm") >> mappedPages;
  const rlim_t limit = mappedPages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (512u << 20);
  int answer[2];
  if (pipe(answer) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    close(answer[0]);
    const rlimit memory{limit, limit};
    setrlimit(RLIMIT_AS, &memory);
    alarm(5);
    try {
      const char result = IsAutoStartSet("CorvaneNotification") ? 'y' : 'n';
      _exit(write(answer[1], &result, 1) == 1 ? 0 : 1);
    } catch (...) {
      _exit(1);  // out of memory: no answer
    }
  }
  close(answer[1]);
  char result = 0;
  const bool answered = read(answer[0], &result, 1) == 1;
  close(answer[0]);
  waitpid(pid, nullptr, 0);
  if (!answered) return std::nullopt;
  return result == 'y';
}

// What may lie at the entry's name: the answer comes at once, the check mark
// follows the rules, and nothing there is changed by looking.
TEST_F(AutostartTest, EveryKindOfEntryIsAnsweredAtOnceAndLeftAsItIs) {
  const std::string path = AutostartEntryPath("CorvaneNotification");
  struct Case {
    const char* what;
    std::function<void()> make;
    bool set;
  } cases[] = {
      {"none", [] {}, false},
      {"the program's own",
       [] { WriteAutostartEntry("CorvaneNotification", "/usr/bin/corvane-notification"); }, true},
      {"another program's", [&] { WriteRaw("[Desktop Entry]\nExec=/opt/other\n"); }, true},
      {"hidden", [&] { WriteRaw("[Desktop Entry]\nExec=/opt/other\nHidden=true\n"); }, false},
      {"disabled in GNOME",
       [&] { WriteRaw("[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n"); }, false},
      {"a link to a plain entry",
       [&] {
         std::ofstream(m_Root + "/elsewhere.desktop") << "[Desktop Entry]\nExec=x\n";
         fs::create_symlink(m_Root + "/elsewhere.desktop", path);
       },
       true},
      {"a link to nowhere", [&] { fs::create_symlink(m_Root + "/nowhere", path); }, false},
      {"a FIFO", [&] { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }, true},
      {"a link to an endless device", [&] { fs::create_symlink("/dev/zero", path); }, true},
      {"a folder", [&] { fs::create_directory(path); }, true},
      {"a 1 GiB file",
       [&] {
         std::ofstream(path) << "[Desktop Entry]\nExec=x\n";
         fs::resize_file(path, 1ull << 30);
       },
       true},
      // Up to 64 KiB an entry is read (hidden: not set); beyond, it is foreign.
      {"a hidden entry of 64 KiB", [&] { WriteHiddenEntryOfSize(64 * 1024); }, false},
      {"a hidden entry of 64 KiB and a byte", [&] { WriteHiddenEntryOfSize(64 * 1024 + 1); }, true},
  };
  fs::create_directories(m_Root + "/autostart");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(path);
    c.make();
    std::error_code error;
    const auto before = fs::symlink_status(path, error);
    const auto sizeBefore = fs::is_regular_file(path, error) ? fs::file_size(path) : 0;
    EXPECT_EQ(AskInChild(), std::optional<bool>(c.set));
    const auto after = fs::symlink_status(path, error);
    EXPECT_EQ(after.type(), before.type());
    EXPECT_EQ(fs::is_regular_file(path, error) ? fs::file_size(path) : 0, sizeBefore);
  }
  fs::remove_all(path);
}

TEST_F(AutostartTest, ExecQuotesPathsThatNeedIt) {
  struct Case {
    const char* path;
    const char* exec;
  } cases[] = {
      {"/usr/bin/corvane-notification", R"("/usr/bin/corvane-notification")"},
      {"/home/a b/corvane", R"("/home/a b/corvane")"},
      {"/opt/$HOME/100%/x", R"("/opt/\\$HOME/100%%/x")"},
      {"/opt/q\"uote/back\\slash", R"("/opt/q\\"uote/back\\\\slash")"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DesktopExecValue(c.path), c.exec) << c.path;
  }
}

TEST_F(AutostartTest, UnwritableFolderThrowsAndLeavesNoEntry) {
  if (geteuid() == 0) {
    // root writes through permission bits; a regular file where the folder
    // should be stops it as well.
    std::ofstream(m_Root + "/autostart") << "not a folder";
  } else {
    fs::create_directories(m_Root + "/autostart");
    chmod((m_Root + "/autostart").c_str(), 0500);
  }
  EXPECT_THROW(WriteAutostartEntry("CorvaneNotification", "/usr/bin/x"), std::runtime_error);
  EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
}

// The environment variables the folder is taken from, set or removed for
// one case and put back afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::optional<std::string>& value) : m_Name(name) {
    if (const char* old = getenv(name)) m_Old = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (m_Old) {
      setenv(m_Name, m_Old->c_str(), 1);
    } else {
      unsetenv(m_Name);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* m_Name;
  std::optional<std::string> m_Old;
};

// An empty or relative XDG_CONFIG_HOME is ignored; without a usable HOME the
// password database gives the home folder, never the file system's root.
TEST(AutostartFolder, FollowsTheBaseDirectoryRules) {
  const passwd* user = getpwuid(getuid());
  ASSERT_NE(user, nullptr);
  const std::string passwdHome = user->pw_dir;
  ASSERT_EQ(passwdHome.front(), '/');
  const std::optional<std::string> unset;
  struct Case {
    std::optional<std::string> configHome;
    std::optional<std::string> home;
    std::string folder;
  } cases[] = {
      {"/cfg", "/home/h", "/cfg/autostart"},
      {"/cfg", unset, "/cfg/autostart"},
      {"", "/home/h", "/home/h/.config/autostart"},
      {"relative/cfg", "/home/h", "/home/h/.config/autostart"},
      {unset, "/home/h", "/home/h/.config/autostart"},
      {unset, unset, passwdHome + "/.config/autostart"},
      {"", "", passwdHome + "/.config/autostart"},
      {"relative", "relative", passwdHome + "/.config/autostart"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("XDG_CONFIG_HOME=" + c.configHome.value_or("(unset)") +
                 " HOME=" + c.home.value_or("(unset)"));
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", c.configHome);
    const ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(AutostartFolder(), c.folder);
    EXPECT_EQ(AutostartEntryPath("CorvaneNotification"), c.folder + "/CorvaneNotification.desktop");
  }
}

// RemoveAutostartEntry in a child process without root's overrides: the
// text it threw, or none when it returned.
std::optional<std::string> RemoveInChild() {
  int answer[2];
  if (pipe(answer) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(answer[0]);
    DropFileOverrides();
    std::string text;
    try {
      RemoveAutostartEntry("CorvaneNotification");
    } catch (const std::runtime_error& error) {
      text = std::string("!") + error.what();
    }
    _exit(write(answer[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  close(answer[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = read(answer[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(answer[0]);
  waitpid(pid, nullptr, 0);
  if (text.empty()) return std::nullopt;
  return text.substr(1);
}

// Sets or clears the immutable flag; false where the file system or the
// process's rights refuse it.
bool SetImmutable(const std::string& path, bool immutable) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  close(fd);
  return done;
}

// An entry that stays is reported the way a failed write is, and still
// counts as set; one that is gone, or was never there, is no error.
TEST_F(AutostartTest, AnEntryThatCannotBeRemovedIsReportedAndStays) {
  const std::string folder = m_Root + "/autostart";
  const std::string path = AutostartEntryPath("CorvaneNotification");
  struct Case {
    const char* what;
    std::function<void()> make;
    bool removable;
  } cases[] = {
      {"the program's own", [] {}, true},
      {"none", [&] { fs::remove(path); }, true},
      {"no folder", [&] { fs::remove_all(folder); }, true},
      {"in a read-only folder", [&] { chmod(folder.c_str(), 0500); }, false},
      {"a folder at the entry's name",
       [&] {
         fs::remove(path);
         fs::create_directory(path);
         std::ofstream(path + "/inside") << "x";
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteAutostartEntry("CorvaneNotification", "/usr/bin/corvane-notification");
    c.make();
    const bool setBefore = IsAutoStartSet("CorvaneNotification");
    const std::optional<std::string> error = RemoveInChild();
    chmod(folder.c_str(), 0700);
    if (c.removable) {
      EXPECT_EQ(error, std::nullopt);
      EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
    } else {
      ASSERT_TRUE(error.has_value()) << "a failed removal was taken for success";
      EXPECT_NE(error->find("Cannot write the autostart entry " + path), std::string::npos)
          << *error;
      EXPECT_TRUE(setBefore);
      EXPECT_TRUE(IsAutoStartSet("CorvaneNotification"));
    }
    fs::remove_all(folder);
  }
}

TEST_F(AutostartTest, AnImmutableEntryCannotBeRemovedAndStays) {
  WriteAutostartEntry("CorvaneNotification", "/usr/bin/corvane-notification");
  const std::string path = AutostartEntryPath("CorvaneNotification");
  if (!SetImmutable(path, true)) {
    GTEST_SKIP() << "the immutable flag is refused here (" << std::strerror(errno)
                 << "): it needs CAP_LINUX_IMMUTABLE and a file system that keeps it";
  }
  const std::optional<std::string> error = RemoveInChild();
  EXPECT_TRUE(IsAutoStartSet("CorvaneNotification"));
  SetImmutable(path, false);
  ASSERT_TRUE(error.has_value()) << "a failed removal was taken for success";
  EXPECT_NE(error->find("Cannot write the autostart entry " + path), std::string::npos) << *error;
}

}  // namespace
