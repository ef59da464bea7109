// Where the device layer says why a system call failed. The platform layer
// has no logging of its own (it does not link Qt): the application hands it
// a sink that writes into the device log category, off by default. Without a
// sink the lines are dropped.
#pragma once

#include <string_view>

using DeviceLogSink = void (*)(std::string_view line);

// Safe to call from any thread; nullptr drops every line from then on.
void SetDeviceLogSink(DeviceLogSink sink);

// Writes "WHAT SUBJECT: REASON" ("open /dev/hidraw3: Permission denied"), or
// "WHAT: REASON" for an empty subject, with the system's text for `error`:
// an errno value on Linux, a GetLastError code on Windows. The error state
// is left as it was, so a caller can still sort the failure by it.
void LogDeviceFailure(std::string_view what, std::string_view subject, int error);
