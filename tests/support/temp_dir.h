// A fresh private folder under the system's temporary folder, removed with
// everything in it when the object goes; and a test fixture with one per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "corvane") {
    // A name nobody holds yet, created by this call alone, readable by its
    // owner only, as mkdtemp makes it (which Windows lacks).
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_Path.empty(); ++attempt) {
      const std::filesystem::path candidate =
          base / (std::string(prefix) + "-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
        m_Path = candidate;
      }
    }
    if (m_Path.empty()) throw std::runtime_error("no temporary folder");
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_Path; }
  std::string Folder() const { return m_Path.string(); }
  std::string PathOf(std::string_view name) const { return (m_Path / name).string(); }

  // Writes `bytes` as they are, creating the folders on the way.
  std::string WriteFile(std::string_view name, std::string_view bytes) const {
    const std::filesystem::path path = m_Path / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

 private:
  std::filesystem::path m_Path;
};

class TempDirTest : public ::testing::Test {
 protected:
  std::string PathOf(std::string_view name) const { return m_Temp.PathOf(name); }
  std::string WriteFile(std::string_view name, std::string_view bytes) const {
    return m_Temp.WriteFile(name, bytes);
  }

  TempDir m_Temp;
  const std::filesystem::path& m_Dir = m_Temp.Path();
};
