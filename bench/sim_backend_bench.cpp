// The simulated backend's own cost per input report, so that figures
// measured through it (monitor throughput) are known not to be bounded by
// the simulator. Counts dropped reports: a run that drops any is reported
// as an error.
#include <benchmark/benchmark.h>

#include <array>
#include <thread>
#include <vector>

#include "platform/sim/sim_backend.h"

namespace {

const std::vector<uint8_t> kReport = [] {
  std::vector<uint8_t> report(64, 0);
  report[0] = kSimId7mReportId;
  report[1] = 0x20;
  return report;
}();

// Send and read on one thread: the queue and copy cost without waking anyone.
void BM_SimSendThenRead(benchmark::State& state) {
  SimBackend sim;
  const std::string path = sim.Plug(SimKeyboard("kb")).at(3);
  std::unique_ptr<HidOpenDevice> handle = sim.Open(path);
  std::array<uint8_t, 64> buffer{};
  size_t received = 0;
  for (auto _ : state) {
    sim.SendInputReport("kb", kReport);
    handle->ReadInputReport(buffer.data(), buffer.size(), &received);
    benchmark::DoNotOptimize(buffer);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimSendThenRead);

// A reader blocked in ReadInputReport woken for every report, as a monitor
// thread is. The sender waits for the reader before each report, so none
// is dropped and each one costs a full wake-up.
void BM_SimWakeBlockedReader(benchmark::State& state) {
  SimBackend sim;
  const std::string path = sim.Plug(SimKeyboard("kb")).at(3);
  std::unique_ptr<HidOpenDevice> handle = sim.Open(path);
  std::thread reader([&] {
    std::array<uint8_t, 64> buffer{};
    size_t received = 0;
    while (handle->ReadInputReport(buffer.data(), buffer.size(), &received) ==
           HidOpenDevice::ReadStatus::Report) {
    }
  });
  for (auto _ : state) {
    sim.WaitForReaders("kb", 1, std::chrono::seconds(10));
    sim.SendInputReport("kb", kReport);
  }
  handle->Cancel();
  reader.join();
  state.SetItemsProcessed(state.iterations());
  if (sim.DroppedReports("kb") != 0) state.SkipWithError("reports were dropped");
}
BENCHMARK(BM_SimWakeBlockedReader)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
