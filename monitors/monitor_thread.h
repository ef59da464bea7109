// The thread under each device monitor: created suspended, started once, and
// freed by its own thread when its body returns (free-on-terminate). After
// Start the creator must not touch the object again, except through a
// MonitorStop handle taken before Start.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

#include "monitors/report_decoders.h"
#include "platform/message.h"

class HidOpenDevice;

// The monitor's Terminated flag and the device whose pending read Terminate
// wakes. Shared with whoever holds the handle, so stopping a monitor stays
// safe after the monitor has freed itself.
class MonitorStop {
 public:
  // Sets the Terminated flag and wakes the read under way, if any.
  void Terminate();
  bool Terminated() const;

  // The body registers its open device while it reads from it; a Terminate
  // that came before the device was open cancels it at once.
  void AttachDevice(HidOpenDevice* device);
  void DetachDevice();

  // Whether the monitor's body has returned on its own or after Terminate;
  // set before the end notice, while Ended may still be false.
  bool Returned() const;
  void MarkReturned();

  // Whether the monitor's body has returned (its object is freed by then).
  bool Ended() const;
  // Waits until the body has returned; false on timeout.
  bool WaitUntilEnded(std::chrono::milliseconds timeout) const;
  // Waits as long as it takes.
  void WaitUntilEnded() const;
  // Called once by the monitor's thread when its body has returned.
  void MarkEnded();

 private:
  mutable std::mutex m_Mutex;
  mutable std::condition_variable m_EndedChanged;
  bool m_Terminated = false;
  bool m_Returned = false;
  bool m_Ended = false;
  HidOpenDevice* m_Device = nullptr;
};

class MonitorThread {
 public:
  MonitorThread(const MonitorThread&) = delete;
  MonitorThread& operator=(const MonitorThread&) = delete;
  // Only for a monitor that was never started; a started one frees itself.
  virtual ~MonitorThread();

  // Runs Execute on a detached thread at raised priority, then deletes the
  // object. At most once.
  void Start();

  // Set before Start: called on the monitor's thread once its body has
  // returned (the slots it empties are empty by then) and before its end
  // is marked, so whoever waits for the end also waits for the call.
  void SetEndNotice(std::function<void()> notice) { m_EndNotice = std::move(notice); }

  // Asks the body to end: sets the Terminated flag and wakes a pending read.
  // Only while the monitor is known to be running; otherwise use StopHandle.
  void Terminate() { m_Stop->Terminate(); }
  bool Terminated() const { return m_Stop->Terminated(); }
  std::shared_ptr<MonitorStop> StopHandle() const { return m_Stop; }

 protected:
  MonitorThread();
  virtual void Execute() = 0;
  MonitorStop& Stop() { return *m_Stop; }

  using ReportDecoder = std::function<DecodedEvents(std::span<const uint8_t>)>;
  // The read loop of every monitor: one read outstanding until the device
  // ends or the monitor is terminated. Empty reads are skipped unseen; a
  // report is posted as `decode` turns it into messages while `permitted`
  // holds, and the first report that finds it false ends the loop unposted.
  void ReadAndPostReports(HidOpenDevice& device, uint32_t inputReportLength,
                          MessagePoster& mainWindow, const std::function<bool()>& permitted,
                          const ReportDecoder& decode);

 private:
  // Frees the object, gives the end notice and marks the end.
  void End(const std::shared_ptr<MonitorStop>& stop);

  std::shared_ptr<MonitorStop> m_Stop;
  std::function<void()> m_EndNotice;
  bool m_Started = false;
};

// The number of monitor threads that have been started and whose body has
// not yet finished (the object is already freed when the count drops).
int LiveMonitorThreads();

// Waits until at most `count` monitor threads live; false on timeout.
bool WaitForLiveMonitorThreadsAtMost(int count, std::chrono::milliseconds timeout);
