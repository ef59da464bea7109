// The Windows session services: the single-instance mutex, the Run value,
// the language id and the executable's folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/session/autostart.h"
#include "platform/session/executable_folder.h"
#include "platform/session/single_instance.h"
#include "platform/session/system_locale.h"
#include "platform/utf8_text.h"

namespace {

TEST(SingleInstanceMutex, SecondHolderIsToldAndTheNameIsFreedAtTheEnd) {
  const std::string name = "CorvaneNotificationTest-" + std::to_string(GetCurrentProcessId());
  {
    SingleInstanceLock first(name);
    ASSERT_EQ(first.Acquire(), SingleInstanceLock::Result::Acquired);
    SingleInstanceLock second(name);
    EXPECT_EQ(second.Acquire(), SingleInstanceLock::Result::HeldByAnother);
  }
  SingleInstanceLock again(name);
  EXPECT_EQ(again.Acquire(), SingleInstanceLock::Result::Acquired);
}

TEST(SingleInstanceMutex, ANameHeldByAnotherKindOfObjectIsNoInstance) {
  const std::wstring name = L"CorvaneNotificationEvent-" + std::to_wstring(GetCurrentProcessId());
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  ASSERT_NE(event, nullptr);
  SingleInstanceLock lock(std::string(name.begin(), name.end()));
  EXPECT_EQ(lock.Acquire(), SingleInstanceLock::Result::Unavailable);
  CloseHandle(event);
}

class RunValue : public ::testing::Test {
 protected:
  void TearDown() override { RemoveAutostartEntry(m_Name); }

  // What the system's own tool finds under the Run key.
  bool RegQueryFinds() const {
    const std::string command =
        "reg query \"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" /v " + m_Name +
        " >nul 2>nul";
    return std::system(command.c_str()) == 0;
  }

  std::wstring StoredCommand() const {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    const std::wstring name(m_Name.begin(), m_Name.end());
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                     name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
      return L"(none)";
    }
    return data;
  }

  const std::string m_Name = "CorvaneNotificationTest" + std::to_string(GetCurrentProcessId());
};

TEST_F(RunValue, WriteSetsAQuotedCommandAndRemoveClearsIt) {
  EXPECT_FALSE(IsAutoStartSet(m_Name));
  WriteAutostartEntry(m_Name, "C:\\Program Files\\Corvane Notification\\corvane-notification.exe");
  EXPECT_TRUE(IsAutoStartSet(m_Name));
  EXPECT_TRUE(RegQueryFinds());
  EXPECT_EQ(StoredCommand(),
            L"\"C:\\Program Files\\Corvane Notification\\corvane-notification.exe\"");
  RemoveAutostartEntry(m_Name);
  EXPECT_FALSE(IsAutoStartSet(m_Name));
  EXPECT_FALSE(RegQueryFinds());
  RemoveAutostartEntry(m_Name);  // removing what is not there is no error
}

TEST_F(RunValue, AValueAnotherProgramWroteCountsAsSet) {
  const std::string command =
      "reg add \"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" /v " + m_Name +
      " /t REG_SZ /d other.exe /f >nul 2>nul";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(IsAutoStartSet(m_Name));
}

TEST_F(RunValue, NonAsciiExecutablePathsSurvive) {
  WriteAutostartEntry(m_Name, "C:\\Users\\用户\\corvane-notification.exe");
  EXPECT_EQ(StoredCommand(), L"\"C:\\Users\\\x7528\x6237\\corvane-notification.exe\"");
}

TEST(SystemLanguage, IsTheSystemsDefault) {
  EXPECT_EQ(SystemDefaultLanguageId(), GetSystemDefaultLangID());
}

TEST(ExecutableFolder, HoldsTheRunningExecutable) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(PathFromUtf8(ExecutablePath())));
  EXPECT_EQ(PathFromUtf8(ExecutablePath()).parent_path(),
            PathFromUtf8(folder.substr(0, folder.size() - 1)));
}

}  // namespace
