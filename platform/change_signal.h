// A signal that one thread raises and the user-interface thread waits on
// together with its window events: an eventfd on Linux, a manual-reset
// event on Windows. It stays raised until cleared, however often raised.
#pragma once

#include <cstdint>

// A file descriptor on Linux, an event HANDLE on Windows; kNoWaitHandle
// when there is nothing to wait on.
using WaitHandle = std::intptr_t;
inline constexpr WaitHandle kNoWaitHandle = -1;

class ChangeSignal {
 public:
  ChangeSignal();
  ~ChangeSignal();
  ChangeSignal(const ChangeSignal&) = delete;
  ChangeSignal& operator=(const ChangeSignal&) = delete;

  void Raise();
  void Clear();
  // kNoWaitHandle when the system refused to create the signal.
  WaitHandle Handle() const { return m_Handle; }

 private:
  WaitHandle m_Handle = kNoWaitHandle;
};

// True when `handle` is raised now; never blocks.
bool IsWaitHandleRaised(WaitHandle handle);
