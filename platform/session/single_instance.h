// One running instance per user: an exclusive flock on a lock file in the
// user's runtime folder. The kernel drops the lock when the process ends,
// however it ends, so a crashed instance never blocks a new start.
#pragma once

#include <string>

class SingleInstanceLock {
 public:
  enum class Result { Acquired, HeldByAnother, Unavailable };

  // `lockPath` empty: $XDG_RUNTIME_DIR/<name>.lock, else the temporary
  // folder with the user id in the file name.
  explicit SingleInstanceLock(const std::string& name, std::string lockPath = {});
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Unavailable means the lock file could not be opened; the program then
  // runs without single-instance protection.
  Result Acquire();

  const std::string& Path() const { return m_Path; }

 private:
  std::string m_Path;
  int m_Fd = -1;
};
