#include <windows.h>

#include "platform/thread_priority.h"

// Time-critical runs ahead of every normal thread of the session; a refusal
// leaves the thread at its normal priority.
void RaiseCurrentThreadPriority() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}
