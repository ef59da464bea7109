#include "platform/device_log_sink.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

std::atomic<DeviceLogSink> g_Sink{nullptr};

}  // namespace

void SetDeviceLogSink(DeviceLogSink sink) { g_Sink.store(sink); }

void LogDeviceFailure(std::string_view what, std::string_view subject, int error) {
  const DeviceLogSink sink = g_Sink.load();
  if (sink == nullptr) return;
  const int saved = errno;
  // strerrordesc_np reads a constant table: safe on every monitor thread,
  // unlike strerror.
  const char* reason = ::strerrordesc_np(error);
  std::string line(what);
  if (!subject.empty()) {
    line += ' ';
    line += subject;
  }
  line += ": ";
  line += reason != nullptr ? reason : "error " + std::to_string(error);
  sink(line);
  errno = saved;
}
