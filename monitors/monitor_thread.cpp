#include "monitors/monitor_thread.h"

#include <condition_variable>
#include <system_error>
#include <thread>

#include "platform/hid_backend.h"
#include "platform/thread_priority.h"

namespace {

// Never destroyed: a monitor thread may still be leaving CountThreadOut
// while the process runs its exit-time destructors.
struct Census {
  std::mutex mutex;
  std::condition_variable changed;
  int liveThreads = 0;
};

Census& TheCensus() {
  static Census* const census = new Census;
  return *census;
}

void CountThreadIn() {
  Census& census = TheCensus();
  std::lock_guard lock(census.mutex);
  ++census.liveThreads;
}

void CountThreadOut() {
  Census& census = TheCensus();
  {
    std::lock_guard lock(census.mutex);
    --census.liveThreads;
  }
  census.changed.notify_all();
}

}  // namespace

void MonitorStop::Terminate() {
  std::lock_guard lock(mutex_);
  terminated_ = true;
  if (device_) device_->Cancel();
}

bool MonitorStop::Terminated() const {
  std::lock_guard lock(mutex_);
  return terminated_;
}

void MonitorStop::AttachDevice(HidOpenDevice* device) {
  std::lock_guard lock(mutex_);
  device_ = device;
  if (terminated_ && device_) device_->Cancel();
}

void MonitorStop::DetachDevice() {
  std::lock_guard lock(mutex_);
  device_ = nullptr;
}

MonitorThread::MonitorThread() : stop_(std::make_shared<MonitorStop>()) {}

MonitorThread::~MonitorThread() = default;

void MonitorThread::Start() {
  if (started_) return;
  started_ = true;
  CountThreadIn();
  try {
    std::thread([this] {
      RaiseCurrentThreadPriority();
      Execute();
      delete this;
      CountThreadOut();
    }).detach();
  } catch (const std::system_error&) {
    // No thread could be made: the monitor ends before it began, freeing
    // itself as a finished one would.
    delete this;
    CountThreadOut();
  }
}

int LiveMonitorThreads() {
  Census& census = TheCensus();
  std::lock_guard lock(census.mutex);
  return census.liveThreads;
}

bool WaitForLiveMonitorThreadsAtMost(int count, std::chrono::milliseconds timeout) {
  Census& census = TheCensus();
  std::unique_lock lock(census.mutex);
  return census.changed.wait_for(lock, timeout,
                                 [&] { return census.liveThreads <= count; });
}
