// The device-event log: what the main window receives from the devices and
// what each discovery pass starts. A Qt logging category at debug level,
// off unless enabled: QT_LOGGING_RULES="corvane.device.debug=true".
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDevice)

// Routes the platform layer's failure lines (platform/device_log_sink.h)
// into lcDevice.
void RouteDeviceFailuresToLog();
