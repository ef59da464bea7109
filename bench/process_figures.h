// What a running process costs, read from /proc: memory, threads, open
// files, CPU time and context switches, summed over its threads.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>

struct ProcessFigures {
  long rssKiB = 0;
  long pssKiB = 0;
  // Pages no other process shares: what the program itself costs, whatever
  // else runs with the same libraries (which moves PSS).
  long privateKiB = 0;
  long threads = 0;
  long fds = 0;
  uint64_t cpuNs = 0;            // time on a CPU of the threads that still run
  uint64_t contextSwitches = 0;  // voluntary and involuntary, all threads
  // The same by thread, keyed "name/tid": threads come and go, so a
  // difference over time is only sound thread by thread.
  struct Thread {
    uint64_t cpuNs = 0;
    uint64_t contextSwitches = 0;
  };
  std::map<std::string, Thread> byThread;
};

ProcessFigures ReadProcessFigures(pid_t pid);
