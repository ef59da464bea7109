#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "app/exception_report.h"
#include "app/win32/exception_report_sink.h"
#include "platform/program_name.h"
#include "platform/win32/wide_text.h"

namespace {

ExceptionReportSink g_Sink;

}  // namespace

void SetExceptionReportSink(ExceptionReportSink sink) { g_Sink = std::move(sink); }

void ShowExceptionReport(const std::exception_ptr& error) {
  std::string text;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    // Any other thrown object is reported as an exception with no message.
  }
  if (g_Sink) {
    g_Sink(text);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str());
  std::fflush(stderr);
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), ProgramNameWide("").text,
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void RunReportingExceptions(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ShowExceptionReport(std::current_exception());
  }
}
