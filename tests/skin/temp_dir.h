// A fresh temporary directory per test, removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_Dir = std::filesystem::temp_directory_path() /
            (std::string("corvane_") + info->test_suite_name() + "_" + info->name() + "_" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(m_Dir);
    std::filesystem::create_directories(m_Dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_Dir); }

  std::string PathOf(std::string_view name) const { return (m_Dir / name).string(); }

  std::string WriteFile(std::string_view name, std::string_view bytes) const {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::filesystem::path m_Dir;
};
