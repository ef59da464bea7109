#include "platform/session/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Why the file open at `fd` is not this user's private lock file; empty
// when it is.
std::string PrivacyProblem(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    return "cannot be examined";
  }
  if (!S_ISREG(status.st_mode)) {
    return "is not a regular file";
  }
  if (status.st_uid != geteuid()) {
    return "belongs to user " + std::to_string(status.st_uid);
  }
  if ((status.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
    return std::string("may be opened by other users (mode ") + mode + ")";
  }
  return {};
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& name, std::string lockPath)
    : m_Path(lockPath.empty() ? DefaultLockPath(name) : std::move(lockPath)) {}

SingleInstanceLock::~SingleInstanceLock() {
  if (m_Handle >= 0) {
    close(static_cast<int>(m_Handle));  // releases the lock; the file stays for the next start
  }
}

SingleInstanceLock::Result SingleInstanceLock::Refuse(std::string problem) {
  m_Problem = std::move(problem);
  return Result::NotPrivate;
}

SingleInstanceLock::Result SingleInstanceLock::Acquire() {
  if (m_Handle >= 0) {
    return Result::Acquired;
  }
  // In a shared temporary folder another user could plant a link or a file
  // of their own at the name: never follow a link, never block on a FIFO or
  // a device, and use only a file that is ours and nobody else's.
  const int fd =
      open(m_Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
  if (fd < 0) {
    const int error = errno;
    struct stat status {};
    if (error == ELOOP) {
      return Refuse("is a symbolic link");
    }
    if ((error == EACCES || error == EPERM) && lstat(m_Path.c_str(), &status) == 0 &&
        status.st_uid != geteuid()) {
      return Refuse("belongs to user " + std::to_string(status.st_uid));
    }
    return Result::Unavailable;
  }
  if (std::string problem = PrivacyProblem(fd); !problem.empty()) {
    close(fd);
    return Refuse(std::move(problem));
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
  m_Handle = fd;
  return Result::Acquired;
}
