#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

void RaiseCurrentThreadPriority() {
  // Any SCHED_FIFO priority already runs ahead of every normal thread. The
  // bottom of the real-time range keeps the kernel's interrupt threads, which
  // deliver the very reports we wait for, ahead of us.
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;

  // Without real-time rights, RLIMIT_NICE says how far the nice value may be
  // lowered: to 20 - rlim_cur. On Linux the nice value is per thread.
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return;
  const rlim_t ceiling =
      (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 40) ? 40 : limit.rlim_cur;
  const int lowestNice = 20 - static_cast<int>(ceiling);
  const id_t thread = static_cast<id_t>(gettid());
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, thread);
  if (errno != 0 || lowestNice >= current) return;
  (void)setpriority(PRIO_PROCESS, thread, lowestNice);
}
