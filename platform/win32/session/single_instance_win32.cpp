#include <windows.h>

#include "platform/session/single_instance.h"
#include "platform/win32/wide_text.h"

// `lockPath` has no meaning here: the mutex is named, not a file.
SingleInstanceLock::SingleInstanceLock(const std::string& name, std::string) : m_Path(name) {}

SingleInstanceLock::~SingleInstanceLock() {
  if (m_Handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_Handle));
}

SingleInstanceLock::Result SingleInstanceLock::Acquire() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, WideFromUtf8(m_Path).c_str());
  if (mutex == nullptr) {
    // Another program holding an object of another kind under the name
    // gives ERROR_INVALID_HANDLE: it cannot be ours, so run unprotected.
    return Result::Unavailable;
  }
  // The handle of an existing mutex is a second reference to it; closing
  // ours at once leaves the first instance's alone.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return Result::HeldByAnother;
  }
  m_Handle = reinterpret_cast<std::intptr_t>(mutex);
  return Result::Acquired;
}

SingleInstanceLock::Result SingleInstanceLock::Refuse(std::string problem) {
  m_Problem = std::move(problem);
  return Result::NotPrivate;
}
