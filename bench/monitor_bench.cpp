// What one input report costs on its way from a device to the main window:
// the decode-and-post step alone, and the sustained rate through a running
// monitor thread from a simulated device, with nothing lost and memory flat.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hid/IO_HID.h"
#include "monitors/IOM_HidThreadId7M.h"
#include "monitors/monitor_slots.h"
#include "monitors/monitor_thread.h"
#include "monitors/report_decoders.h"
#include "platform/sim/sim_backend.h"

namespace {

long MaxRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Stands in for the main window: posted messages queue up under a mutex and
// a handler thread takes them off and counts them.
class CountingWindow : public MessagePoster {
 public:
  CountingWindow() : m_Handler([this] { Handle(); }) {}
  ~CountingWindow() override {
    {
      std::lock_guard lock(m_Mutex);
      m_Closing = true;
    }
    m_Posted.notify_all();
    m_Handler.join();
  }

  void Post(Message message) override {
    {
      std::lock_guard lock(m_Mutex);
      m_Queue.push_back(message);
    }
    m_Posted.notify_one();
  }

  uint64_t Handled() const {
    std::lock_guard lock(m_Mutex);
    return m_Handled;
  }

  // Blocks until at least `count` messages have been handled.
  void WaitForHandled(uint64_t count) {
    std::unique_lock lock(m_Mutex);
    m_HandledChanged.wait(lock, [&] { return m_Handled >= count; });
  }

 private:
  void Handle() {
    std::unique_lock lock(m_Mutex);
    for (;;) {
      m_Posted.wait(lock, [this] { return m_Closing || !m_Queue.empty(); });
      if (m_Queue.empty()) return;
      while (!m_Queue.empty()) {
        benchmark::DoNotOptimize(m_Queue.front().wParam);
        m_Queue.pop_front();
        ++m_Handled;
      }
      m_HandledChanged.notify_all();
    }
  }

  mutable std::mutex m_Mutex;
  std::condition_variable m_Posted;
  std::condition_variable m_HandledChanged;
  std::deque<Message> m_Queue;
  uint64_t m_Handled = 0;
  bool m_Closing = false;
  std::thread m_Handler;
};

class AtomicCountingPoster : public MessagePoster {
 public:
  void Post(Message message) override {
    benchmark::DoNotOptimize(message.wParam);
    count.fetch_add(1, std::memory_order_relaxed);
  }
  std::atomic<uint64_t> count{0};
};

std::vector<uint8_t> KeyboardReport(uint8_t sequence) {
  std::vector<uint8_t> report(64, 0);
  report[0] = 0x07;
  report[1] = 0x20;
  report[4] = static_cast<uint8_t>(0x80 | (sequence & 0x07));
  return report;
}

void BM_DecodeAndPost(benchmark::State& state) {
  AtomicCountingPoster poster;
  const std::vector<uint8_t> report = KeyboardReport(3);
  for (auto _ : state) {
    for (const Message& event : DecodeId7mReport(Id7mKind::Keyboard, report)) {
      poster.Post(event);
    }
  }
  state.SetItemsProcessed(state.iterations());
  if (poster.count.load() != static_cast<uint64_t>(state.iterations())) {
    state.SkipWithError("a decoded report was not posted");
  }
}
BENCHMARK(BM_DecodeAndPost);

// Reports go out as fast as the pipeline takes them: the sender keeps at
// most `inFlight` reports ahead of the window's handler, below the 64 that a
// device handle holds, so a report is lost only if the monitor itself loses
// one.
void BM_SustainedReportsThroughMonitor(benchmark::State& state) {
  const uint64_t reportsPerRun = static_cast<uint64_t>(state.range(0));
  constexpr uint64_t kInFlight = 32;

  auto sim = std::make_shared<SimBackend>();
  HidSetBackend(sim);
  SimDeviceSpec spec = SimKeyboard("kb1");
  const std::vector<std::string> paths = sim->Plug(spec);
  const std::string path = paths.back();  // the vendor collection

  MonitorSlots slots;
  CountingWindow window;
  auto* monitor = new TiomHidThreadId7M(slots, window);
  monitor->DevicePath = path;
  monitor->DeviceKind = "Keyboard";
  slots.m_KeyboardMonitor.store(monitor);
  const std::shared_ptr<MonitorStop> stop = monitor->StopHandle();
  monitor->Start();
  if (!sim->WaitForReaders("kb1", 1, std::chrono::seconds(10))) {
    state.SkipWithError("the monitor never started reading");
    return;
  }

  std::vector<std::vector<uint8_t>> reports;
  for (uint8_t i = 0; i < 8; ++i) reports.push_back(KeyboardReport(i));

  const long rssBefore = MaxRssKiB();
  uint64_t sent = 0;
  for (auto _ : state) {
    for (uint64_t i = 0; i < reportsPerRun; ++i) {
      if (sent >= kInFlight) window.WaitForHandled(sent - kInFlight + 1);
      sim->SendInputReport("kb1", reports[sent % reports.size()]);
      ++sent;
    }
    window.WaitForHandled(sent);
  }
  const long rssAfter = MaxRssKiB();

  const uint64_t dropped = sim->DroppedReports("kb1");
  const uint64_t handled = window.Handled();
  stop->Terminate();
  WaitForLiveMonitorThreadsAtMost(0, std::chrono::seconds(10));

  state.counters["reports_per_s"] =
      benchmark::Counter(static_cast<double>(sent), benchmark::Counter::kIsRate);
  state.counters["dropped"] = static_cast<double>(dropped);
  state.counters["lost"] = static_cast<double>(sent - handled);
  state.counters["maxrss_before_KiB"] = static_cast<double>(rssBefore);
  state.counters["maxrss_after_KiB"] = static_cast<double>(rssAfter);
  if (dropped != 0 || handled != sent) state.SkipWithError("reports were lost");
}
BENCHMARK(BM_SustainedReportsThroughMonitor)
    ->Arg(100000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
