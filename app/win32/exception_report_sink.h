// Where the standard exception report goes instead of a message box: tests
// read the text rather than wait for a click. An empty sink restores the
// message box.
#pragma once

#include <functional>
#include <string>

using ExceptionReportSink = std::function<void(const std::string& text)>;
void SetExceptionReportSink(ExceptionReportSink sink);
