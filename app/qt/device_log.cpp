#include "app/qt/device_log.h"

#include <string>

#include "platform/device_log_sink.h"

Q_LOGGING_CATEGORY(lcDevice, "corvane.device", QtInfoMsg)

void RouteDeviceFailuresToLog() {
  SetDeviceLogSink(
      [](std::string_view line) { qCDebug(lcDevice, "%s", std::string(line).c_str()); });
}
