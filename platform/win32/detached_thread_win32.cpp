#include <process.h>
#include <windows.h>

#include <memory>

#include "platform/detached_thread.h"

namespace {

unsigned __stdcall RunBody(void* argument) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  // The body travels on the heap; the new thread owns it from its first line.
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  // _beginthreadex rather than CreateThread, so the C runtime sets up its
  // per-thread state for the body.
  const uintptr_t handle = _beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
  if (handle == 0) return false;
  owned.release();
  CloseHandle(reinterpret_cast<HANDLE>(handle));
  return true;
}
