#include <windows.h>

#include "platform/change_signal.h"

namespace {

HANDLE AsHandle(WaitHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

// Manual reset: the event stays signalled until Clear, as the eventfd stays
// readable until it is read.
ChangeSignal::ChangeSignal() {
  if (HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_Handle = reinterpret_cast<WaitHandle>(event);
  }
}

ChangeSignal::~ChangeSignal() {
  if (m_Handle != kNoWaitHandle) CloseHandle(AsHandle(m_Handle));
}

void ChangeSignal::Raise() { SetEvent(AsHandle(m_Handle)); }

void ChangeSignal::Clear() { ResetEvent(AsHandle(m_Handle)); }

bool IsWaitHandleRaised(WaitHandle handle) {
  return WaitForSingleObject(AsHandle(handle), 0) == WAIT_OBJECT_0;
}
