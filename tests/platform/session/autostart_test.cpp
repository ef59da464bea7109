#include "platform/session/autostart.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

class AutostartTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/corvane-autostart-XXXXXX";
    root_ = mkdtemp(pattern);
    const char* old = getenv("XDG_CONFIG_HOME");
    hadConfigHome_ = old != nullptr;
    if (hadConfigHome_) oldConfigHome_ = old;
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    if (hadConfigHome_) {
      setenv("XDG_CONFIG_HOME", oldConfigHome_.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    chmod(root_.c_str(), 0700);
    fs::remove_all(root_);
  }
  static std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }
  void WriteRaw(const std::string& content) {
    fs::create_directories(root_ + "/autostart");
    std::ofstream(AutostartEntryPath("CorvaneNotification")) << content;
  }

  std::string root_;
  bool hadConfigHome_ = false;
  std::string oldConfigHome_;
};

TEST_F(AutostartTest, EntryGoesUnderXdgConfigHome) {
  EXPECT_EQ(AutostartEntryPath("CorvaneNotification"),
            root_ + "/autostart/CorvaneNotification.desktop");
}

TEST_F(AutostartTest, WriteThenRemoveTogglesTheSetState) {
  EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
  WriteAutostartEntry("CorvaneNotification", "/usr/bin/corvane-notification");
  EXPECT_TRUE(IsAutoStartSet("CorvaneNotification"));
  const std::string content = Read(AutostartEntryPath("CorvaneNotification"));
  EXPECT_NE(content.find("Exec=\"/usr/bin/corvane-notification\"\n"), std::string::npos) << content;
  EXPECT_NE(content.find("Type=Application\n"), std::string::npos);
  // No temporary file is left beside the entry.
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ + "/autostart"), fs::directory_iterator{}), 1);

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
    std::ofstream(root_ + "/autostart") << "not a folder";
  } else {
    fs::create_directories(root_ + "/autostart");
    chmod((root_ + "/autostart").c_str(), 0500);
  }
  EXPECT_THROW(WriteAutostartEntry("CorvaneNotification", "/usr/bin/x"), std::runtime_error);
  EXPECT_FALSE(IsAutoStartSet("CorvaneNotification"));
}

}  // namespace
