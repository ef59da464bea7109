// Report to message: the time from a simulated keyboard handing an input
// report to the monitor's read until MainWindowProc handles the message it
// became on the user-interface thread, in the whole program (RunProgram, the
// real discovery, monitor thread, queue and popups).
//
// Four rounds of N reports each (default 10,000; `--reports N`):
//   paced-idle   one report every 1-10 ms, LT key state 7 (shows nothing),
//   paced-popup  one report every 1-10 ms, LT key states 0-5 (a popup each),
//   burst-idle   bursts of 32 back-to-back reports 20 ms apart, state 7,
//   burst-popup  the same bursts with states 0-5.
// Prints one line: p50, p99 and max in microseconds for every round.
// Runs under any Qt platform (QT_QPA_PLATFORM=offscreen needs no display).
#include <unistd.h>

#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "app/qt/MainUnit.h"
#include "app/simulator/scenario.h"
#include "bench/percentiles.h"
#include "platform/sim/sim_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

struct Round {
  const char* name;
  bool burst;
  bool popup;
};

constexpr Round kRounds[] = {
    {"paced-idle", false, false},
    {"paced-popup", false, true},
    {"burst-idle", true, false},
    {"burst-popup", true, true},
};
constexpr size_t kBurstLength = 32;  // half of what a device handle queues
constexpr auto kBurstGap = std::chrono::milliseconds(20);

// Send times by report number, written by the driver before each report;
// the user-interface thread takes the n-th LT-key message as the n-th report.
struct Timings {
  explicit Timings(size_t total) : sent(total), handled(total) {}
  std::vector<int64_t> sent;
  std::vector<int64_t> handled;
  std::atomic<size_t> handledCount{0};
};

// Nanoseconds the user-interface (main) thread has spent runnable but
// waiting for a CPU: the share of the latency that CPU load adds.
uint64_t MainThreadRunQueueWaitNs() {
  std::ifstream schedstat("/proc/self/task/" + std::to_string(getpid()) + "/schedstat");
  uint64_t onCpu = 0;
  uint64_t waiting = 0;
  schedstat >> onCpu >> waiting;
  return waiting;
}

bool WaitForHandled(const Timings& timings, size_t count) {
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (timings.handledCount.load() < count) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Returns the figures line, or an error text starting with "error:".
std::string Drive(SimBackend& backend, TMainForm& form, Timings& timings, size_t perRound) {
  QMetaObject::invokeMethod(
      &form, [&] { backend.Plug(SimKeyboard("kb1")); }, Qt::BlockingQueuedConnection);
  if (!backend.WaitForReaders("kb1", 1, std::chrono::seconds(10))) {
    return "error: the keyboard's monitor never started reading";
  }
  std::mt19937 random(12);
  std::uniform_int_distribution<int> paceUs(1000, 10000);
  std::string line;
  size_t next = 0;
  for (const Round& round : kRounds) {
    const size_t first = next;
    const uint64_t waitBefore = MainThreadRunQueueWaitNs();
    for (size_t i = 0; i < perRound; ++i, ++next) {
      const uint8_t state = round.popup ? static_cast<uint8_t>(i % 6) : 7;
      const std::vector<uint8_t> report = LtKeyReport(SimDeviceKind::Keyboard, state);
      if (round.burst && i % kBurstLength == 0) {
        if (!WaitForHandled(timings, next)) return "error: reports were lost";
        std::this_thread::sleep_for(kBurstGap);
      } else if (!round.burst) {
        std::this_thread::sleep_for(std::chrono::microseconds(paceUs(random)));
      }
      timings.sent[next] = NowNs();
      backend.SendInputReport("kb1", report);
    }
    if (!WaitForHandled(timings, next)) return "error: reports were lost";
    std::vector<double> latenciesUs;
    for (size_t i = first; i < next; ++i) {
      latenciesUs.push_back(static_cast<double>(timings.handled[i] - timings.sent[i]) / 1000.0);
    }
    line += (line.empty() ? "" : "; ") + std::string(round.name) + " " +
            PercentileFigures(latenciesUs, "us", "%.0f");
    char waited[80];
    std::snprintf(waited, sizeof waited, " (UI thread waited for a CPU %.0f ms in all)",
                  static_cast<double>(MainThreadRunQueueWaitNs() - waitBefore) / 1e6);
    line += waited;
  }
  if (backend.DroppedReports("kb1") != 0) return "error: the device handle dropped reports";
  return "report to message (" + std::to_string(perRound) + " reports a round): " + line;
}

}  // namespace

int main(int argc, char** argv) {
  size_t perRound = 10000;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--reports") == 0) perRound = std::strtoul(argv[i + 1], nullptr, 10);
  }
  // A lock folder of its own, so that a running copy of the program does
  // not keep this one from starting.
  char lockFolder[] = "/tmp/corvane-bench-XXXXXX";
  if (mkdtemp(lockFolder) != nullptr) setenv("XDG_RUNTIME_DIR", lockFolder, 1);

  auto backend = std::make_shared<SimBackend>();
  Timings timings(perRound * std::size(kRounds));
  int status = 0;
  ProgramSetup setup;
  setup.makeBackend = [backend] { return backend; };
  setup.started = [&](TMainForm& form) {
    form.SetMessageTrace([&timings](const Message& message) {
      if (message.msg != UM_LT_KEY) return;
      const size_t index = timings.handledCount.load(std::memory_order_relaxed);
      if (index < timings.handled.size()) timings.handled[index] = NowNs();
      timings.handledCount.store(index + 1);
    });
    std::thread([&, backend] {
      const std::string line = Drive(*backend, form, timings, perRound);
      std::puts(line.c_str());
      std::fflush(stdout);
      if (line.rfind("error:", 0) == 0) status = 1;
      QMetaObject::invokeMethod(
          &form, [&form] { form.N1Click(); }, Qt::QueuedConnection);
    }).detach();
  };
  const int exitCode = RunProgram(argc, argv, setup);
  std::error_code ignored;
  std::filesystem::remove_all(lockFolder, ignored);
  return exitCode != 0 ? exitCode : status;
}
