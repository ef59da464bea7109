#include "app/qt/termination_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <cerrno>

namespace {

// The write end is all a signal handler may touch; -1 until set up.
volatile sig_atomic_t g_writeFd = -1;
int g_readFd = -1;
// Set by the handler, cleared when the event loop has taken the signal: a
// long device pass on the event loop's thread asks for it between requests.
volatile sig_atomic_t g_pending = 0;

void OnSignal(int signalNumber) {
  g_pending = 1;
  const int savedErrno = errno;
  const auto byte = static_cast<char>(signalNumber);
  // A full pipe already holds a wake-up; nothing else to do.
  [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
  errno = savedErrno;
}

bool SetUpPipeAndHandlers() {
  if (g_readFd >= 0) return true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  g_readFd = fds[0];
  g_writeFd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0) {
    return false;
  }
  // A hang-up (the terminal that started the program closed) ends it as
  // politely; started under nohup, which ignores it, it stays ignored.
  struct sigaction hangUp {};
  if (::sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN) {
    return ::sigaction(SIGHUP, &action, nullptr) == 0;
  }
  return true;
}

}  // namespace

bool CloseOnTerminationSignal(QObject* context, std::function<void()> close) {
  if (context == nullptr || !SetUpPipeAndHandlers()) return false;
  auto* notifier = new QSocketNotifier(g_readFd, QSocketNotifier::Read, context);
  QObject::connect(notifier, &QSocketNotifier::activated, context, [close = std::move(close)] {
    char drained[64];
    bool received = false;
    while (::read(g_readFd, drained, sizeof drained) > 0) received = true;
    g_pending = 0;
    if (received) close();
  });
  return true;
}

bool TerminationPending() { return g_pending != 0; }
