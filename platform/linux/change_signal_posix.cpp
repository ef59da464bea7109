#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "platform/change_signal.h"

ChangeSignal::ChangeSignal() : m_Handle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ChangeSignal::~ChangeSignal() {
  if (m_Handle >= 0) close(static_cast<int>(m_Handle));
}

void ChangeSignal::Raise() {
  const uint64_t one = 1;
  // The counter only has to be non-zero; a full counter is still readable.
  [[maybe_unused]] ssize_t n = write(static_cast<int>(m_Handle), &one, sizeof one);
}

void ChangeSignal::Clear() {
  uint64_t counter = 0;
  [[maybe_unused]] ssize_t n = read(static_cast<int>(m_Handle), &counter, sizeof counter);
}

bool IsWaitHandleRaised(WaitHandle handle) {
  pollfd p{static_cast<int>(handle), POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
}
