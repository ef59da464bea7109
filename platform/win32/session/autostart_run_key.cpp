// Start at login on Windows: one string value under the current user's Run
// key, which the shell starts at every logon.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/session/autostart.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string SystemReason(LSTATUS status) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason(text != nullptr ? text : L"", length);
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n')) reason.pop_back();
  return reason.empty() ? "error " + std::to_string(status) : Utf8FromWide(reason);
}

// The same report for a value that cannot be written and one that cannot be
// removed: either way the entry is not what the menu's mark says.
[[noreturn]] void ThrowRunValueError(std::string_view name, LSTATUS status) {
  throw std::runtime_error(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\" + std::string(name) +
      ": " + SystemReason(status));
}

}  // namespace

// A value of that name with any non-empty text counts as set, whatever
// program it names: another program's entry under our name still starts
// something at logon. An empty value starts nothing.
bool IsAutoStartSet(std::string_view name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD bytes = 0;
  const LSTATUS status =
      RegGetValueW(key, nullptr, WideFromUtf8(name).c_str(),
                   RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, nullptr, &bytes);
  RegCloseKey(key);
  // The size counts the terminating null.
  return status == ERROR_SUCCESS && bytes > sizeof(wchar_t);
}

void WriteAutostartEntry(std::string_view name, std::string_view executable) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    // Quoted: an unquoted path with a space ("C:\Users\Jo Smith\...") is
    // read as "C:\Users\Jo.exe" first, which another program could be.
    const std::wstring command = L"\"" + WideFromUtf8(executable) + L"\"";
    status = RegSetValueExW(key, WideFromUtf8(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) ThrowRunValueError(name, status);
}

// No Run key or no value is nothing to remove; any other failure leaves a
// value that still starts the program at logon.
void RemoveAutostartEntry(std::string_view name) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
  if (status == ERROR_SUCCESS) {
    status = RegDeleteValueW(key, WideFromUtf8(name).c_str());
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ThrowRunValueError(name, status);
}
