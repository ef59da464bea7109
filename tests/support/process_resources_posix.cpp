#include <dirent.h>

#include "tests/support/process_resources.h"

namespace {

// The descriptor that opendir itself holds while counting is counted every
// time, so it cancels out in a before/after comparison.
size_t EntriesIn(const char* directory) {
  size_t count = 0;
  if (DIR* dir = opendir(directory)) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
  }
  return count;
}

}  // namespace

size_t OpenHandleCount() { return EntriesIn("/proc/self/fd"); }
size_t ThreadCount() { return EntriesIn("/proc/self/task"); }
