// Catches the device layer's failure lines for the length of one test.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/device_log_sink.h"

class CapturedDeviceLog {
 public:
  CapturedDeviceLog() {
    Lines().clear();
    SetDeviceLogSink(&Keep);
  }
  ~CapturedDeviceLog() { SetDeviceLogSink(nullptr); }
  CapturedDeviceLog(const CapturedDeviceLog&) = delete;
  CapturedDeviceLog& operator=(const CapturedDeviceLog&) = delete;

  // The lines so far, emptied.
  std::vector<std::string> Take() {
    std::lock_guard lock(Mutex());
    return std::exchange(Lines(), {});
  }

 private:
  static void Keep(std::string_view line) {
    std::lock_guard lock(Mutex());
    Lines().emplace_back(line);
  }
  static std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
  }
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
};
