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

}  // namespace

// A value of that name counts as set whatever it holds: another program's
// entry under our name still starts something at logon.
bool IsAutoStartSet(std::string_view name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegQueryValueExW(key, WideFromUtf8(name).c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void WriteAutostartEntry(std::string_view name, std::string_view executable) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    // Quoted: the shell splits an unquoted command line at its first space.
    const std::wstring command = L"\"" + WideFromUtf8(executable) + L"\"";
    status = RegSetValueExW(key, WideFromUtf8(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error(
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\" +
        std::string(name) + ": " + SystemReason(status));
  }
}

void RemoveAutostartEntry(std::string_view name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, WideFromUtf8(name).c_str());
  RegCloseKey(key);
}
