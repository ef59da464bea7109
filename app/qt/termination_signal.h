// A polite end on SIGTERM, SIGINT and SIGHUP (unless SIGHUP was ignored
// when the program started, as nohup does): the signal is carried out of its
// handler through a pipe and reaches the event loop as a call of `close`,
// which should close the main window the way the tray menu's Close does, so
// that the devices are switched back out of notification mode before the
// process ends.
#pragma once

#include <functional>

class QObject;

// Installs the handlers (once per process) and calls `close` on the thread
// of `context` for each signal received while `context` lives. Returns false
// when the pipe or the handlers could not be set up; the signals then keep
// their default action.
bool CloseOnTerminationSignal(QObject* context, std::function<void()> close);

// True from the moment a signal arrives until the event loop has taken it:
// work that keeps the event loop's thread busy asks this to end early.
bool TerminationPending();
