// A file in memory with a path, for the readers that take a path: each input
// is written into it in place, so no disk is touched per input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

class MemoryFile {
 public:
  MemoryFile() : m_Fd(memfd_create("corvane_fuzz", 0)) {
    if (m_Fd < 0) std::abort();
    m_Path = "/proc/self/fd/" + std::to_string(m_Fd);
  }
  ~MemoryFile() { close(m_Fd); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the file's content with `bytes`.
  void Write(const uint8_t* bytes, size_t size) {
    if (ftruncate(m_Fd, 0) != 0) std::abort();
    size_t written = 0;
    while (written < size) {
      const ssize_t n = pwrite(m_Fd, bytes + written, size - written, static_cast<off_t>(written));
      if (n <= 0) std::abort();
      written += static_cast<size_t>(n);
    }
  }

  const std::string& Path() const { return m_Path; }

 private:
  int m_Fd;
  std::string m_Path;
};
