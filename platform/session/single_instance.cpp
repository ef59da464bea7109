#include "platform/session/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

std::string DefaultLockPath(const std::string& name) {
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (runtimeDir != nullptr && *runtimeDir != '\0') {
    return std::string(runtimeDir) + "/" + name + ".lock";
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  return folder + "/" + name + "-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& name, std::string lockPath)
    : m_Path(lockPath.empty() ? DefaultLockPath(name) : std::move(lockPath)) {}

SingleInstanceLock::~SingleInstanceLock() {
  if (m_Fd >= 0) {
    close(m_Fd);  // releases the lock; the file stays for the next start
  }
}

SingleInstanceLock::Result SingleInstanceLock::Acquire() {
  if (m_Fd >= 0) {
    return Result::Acquired;
  }
  // O_NOFOLLOW: in a shared temporary folder another user could plant a link.
  const int fd = open(m_Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return Result::Unavailable;
  }
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool held = (errno == EWOULDBLOCK);
    close(fd);
    return held ? Result::HeldByAnother : Result::Unavailable;
  }
  m_Fd = fd;
  return Result::Acquired;
}
