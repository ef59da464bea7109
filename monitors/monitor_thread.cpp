#include "monitors/monitor_thread.h"

#include <condition_variable>

#include "monitors/report_reader.h"
#include "platform/detached_thread.h"
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
  std::lock_guard lock(m_Mutex);
  m_Terminated = true;
  if (m_Device) m_Device->Cancel();
}

bool MonitorStop::Terminated() const {
  std::lock_guard lock(m_Mutex);
  return m_Terminated;
}

void MonitorStop::AttachDevice(HidOpenDevice* device) {
  std::lock_guard lock(m_Mutex);
  m_Device = device;
  if (m_Terminated && m_Device) m_Device->Cancel();
}

void MonitorStop::DetachDevice() {
  std::lock_guard lock(m_Mutex);
  m_Device = nullptr;
}

bool MonitorStop::Returned() const {
  std::lock_guard lock(m_Mutex);
  return m_Returned;
}

void MonitorStop::MarkReturned() {
  std::lock_guard lock(m_Mutex);
  m_Returned = true;
}

bool MonitorStop::Ended() const {
  std::lock_guard lock(m_Mutex);
  return m_Ended;
}

bool MonitorStop::WaitUntilEnded(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_Mutex);
  return m_EndedChanged.wait_for(lock, timeout, [this] { return m_Ended; });
}

void MonitorStop::WaitUntilEnded() const {
  std::unique_lock lock(m_Mutex);
  m_EndedChanged.wait(lock, [this] { return m_Ended; });
}

void MonitorStop::MarkEnded() {
  {
    std::lock_guard lock(m_Mutex);
    m_Ended = true;
  }
  m_EndedChanged.notify_all();
}

MonitorThread::MonitorThread() : m_Stop(std::make_shared<MonitorStop>()) {}

MonitorThread::~MonitorThread() = default;

void MonitorThread::Start() {
  if (m_Started) return;
  m_Started = true;
  CountThreadIn();
  // Kept apart from the object, which is gone when the end is marked.
  const std::shared_ptr<MonitorStop> stop = m_Stop;
  const bool started = StartDetachedThread([this, stop] {
    RaiseCurrentThreadPriority();
    Execute();
    End(stop);
  });
  if (!started) {
    // No thread could be made: the monitor ends before it began, freeing
    // itself as a finished one would.
    End(stop);
  }
}

void MonitorThread::End(const std::shared_ptr<MonitorStop>& stop) {
  const std::function<void()> notice = std::move(m_EndNotice);
  delete this;
  stop->MarkReturned();
  if (notice) notice();
  stop->MarkEnded();
  CountThreadOut();
}

void MonitorThread::ReadAndPostReports(HidOpenDevice& device, uint32_t inputReportLength,
                                       MessagePoster& mainWindow,
                                       const std::function<bool()>& permitted,
                                       const ReportDecoder& decode) {
  ReportReader reader(device, inputReportLength);
  Stop().AttachDevice(&device);
  while (!Terminated()) {
    const ReportReader::Outcome outcome = reader.ReadNext();
    if (outcome == ReportReader::Outcome::End) break;
    if (outcome == ReportReader::Outcome::Empty) continue;

    // The slot is the monitor's permission to run; it is read once per
    // report, so an emptied slot stops the monitor at its next report.
    if (!permitted()) break;
    for (const Message& event : decode(reader.Report())) mainWindow.Post(event);
  }
  Stop().DetachDevice();
}

int LiveMonitorThreads() {
  Census& census = TheCensus();
  std::lock_guard lock(census.mutex);
  return census.liveThreads;
}

bool WaitForLiveMonitorThreadsAtMost(int count, std::chrono::milliseconds timeout) {
  Census& census = TheCensus();
  std::unique_lock lock(census.mutex);
  return census.changed.wait_for(lock, timeout, [&] { return census.liveThreads <= count; });
}
