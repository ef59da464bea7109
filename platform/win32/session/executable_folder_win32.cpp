#include <windows.h>

#include <string>

#include "platform/session/executable_folder.h"
#include "platform/win32/wide_text.h"

std::string ExecutablePath() {
  // GetModuleFileNameW cuts a path that does not fit without saying so
  // other than by filling the buffer: grow it until the path fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return Utf8FromWide(buffer);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExecutableFolder() {
  std::string path = ExecutablePath();
  const size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return "./";
  path.resize(cut);
  return path + "/";
}
