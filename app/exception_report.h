// The standard exception report: an exception that a handler lets escape is
// shown in a message box with its text (and written to stderr), and the
// program carries on.
#pragma once

#include <exception>
#include <functional>

void ShowExceptionReport(const std::exception_ptr& error);

// Runs `handler`, reporting whatever it throws.
void RunReportingExceptions(const std::function<void()>& handler);
