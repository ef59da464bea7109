// One running instance per user. On Linux an exclusive flock on a lock file
// in the user's runtime folder; on Windows the named mutex `name` in the
// session's namespace. Either way the system drops it when the process
// ends, however it ends, so a crashed instance never blocks a new start.
#pragma once

#include <cstdint>
#include <string>

class SingleInstanceLock {
 public:
  enum class Result { Acquired, HeldByAnother, Unavailable, NotPrivate };

  // `lockPath` empty: $XDG_RUNTIME_DIR/<name>.lock, else the temporary
  // folder with the user id in the file name.
  explicit SingleInstanceLock(const std::string& name, std::string lockPath = {});
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Unavailable means the lock file could not be opened; the program then
  // runs without single-instance protection. NotPrivate means something at
  // the lock's name is not this user's own file (a link, another user's
  // file, one others may open, not a regular file): another user could hold
  // it to keep the program from starting, so it is not used; Problem() says
  // why.
  Result Acquire();

  const std::string& Path() const { return m_Path; }
  const std::string& Problem() const { return m_Problem; }

 private:
  Result Refuse(std::string problem);

  std::string m_Path;
  std::string m_Problem;
  // The lock file's descriptor on Linux, the mutex's handle on Windows.
  std::intptr_t m_Handle = -1;
};
