#include <windows.h>

#include <atomic>
#include <string>

#include "platform/device_log_sink.h"
#include "platform/win32/wide_text.h"

namespace {

std::atomic<DeviceLogSink> g_Sink{nullptr};

// The system's own text for a GetLastError code, without its line break.
std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(error) : Utf8FromWide(text);
}

}  // namespace

void SetDeviceLogSink(DeviceLogSink sink) { g_Sink.store(sink); }

// `error` is a GetLastError code here.
void LogDeviceFailure(std::string_view what, std::string_view subject, int error) {
  const DeviceLogSink sink = g_Sink.load();
  if (sink == nullptr) return;
  const DWORD saved = GetLastError();
  std::string line(what);
  if (!subject.empty()) {
    line += ' ';
    line += subject;
  }
  line += ": ";
  line += SystemErrorText(static_cast<DWORD>(error));
  sink(line);
  SetLastError(saved);
}
