#include "platform/session/executable_folder.h"

#include <filesystem>
#include <system_error>

std::string ExecutablePath() {
  std::error_code error;
  const auto path = std::filesystem::canonical("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string ExecutableFolder() {
  const std::string exe = ExecutablePath();
  if (exe.empty()) {
    return "./";
  }
  return std::filesystem::path(exe).parent_path().string() + "/";
}
