// What the running program costs while it watches devices: resident and
// proportional memory, threads and open files with nothing plugged in, after
// each of a keyboard, a mouse and an ES2862 mouse is plugged in (simulated),
// after the first popup and after 10,000 device events; then the context
// switches per second of the idle program over 20 s with the three devices
// watched. Runs the simulator in a private X session of its own and prints
// one line.
//
//   corvane_footprint_bench [--events N] [--idle-seconds S]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench/desktop_session.h"
#include "bench/process_figures.h"

using namespace std::chrono_literals;

namespace {

std::string Describe(const char* stage, const ProcessFigures& f) {
  char text[200];
  std::snprintf(text, sizeof text, "%s rss=%ldKiB pss=%ldKiB private=%ldKiB threads=%ld fds=%ld",
                stage, f.rssKiB, f.pssKiB, f.privateKiB, f.threads, f.fds);
  return text;
}

size_t DeviceMessages(const ChildProcess& program) {
  size_t count = 0;
  for (const OutputLine& line : program.Lines()) {
    if (line.text.rfind("message 102", 0) == 0) ++count;  // 1024 … 1027
  }
  return count;
}

bool WaitForDeviceMessages(const ChildProcess& program, size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + 300s;
  while (DeviceMessages(program) < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// The n-th device event: LT key states, keyboard CPI... in turn on the three
// devices, every value one that shows a popup.
std::string EventLine(size_t n) {
  const std::string value = std::to_string(n / 3 % 6);
  switch (n % 3) {
    case 0:
      return "lt kb1 " + value;
    case 1:
      return "cpi m1 " + value;
    default:
      return "cpi es1 " + value;
  }
}

}  // namespace

int main(int argc, char** argv) {
  size_t events = 10000;
  int idleSeconds = 20;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--events") == 0) events = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--idle-seconds") == 0) idleSeconds = std::atoi(argv[i + 1]);
  }
  BenchDesktop desktop;
  if (const std::string failure = desktop.Start(); !failure.empty()) {
    std::printf("error: %s\n", failure.c_str());
    return 1;
  }
  const auto program = desktop.StartSimulator();
  if (!program->Started() || !desktop.WaitForTrayIcon(*program, 20ms)) {
    std::puts("error: the simulator's program did not start");
    return 1;
  }
  const pid_t pid = program->Pid();
  // Settled: start-up's own allocations and timers are behind it.
  std::this_thread::sleep_for(2s);
  const ProcessFigures none = ReadProcessFigures(pid);
  std::string line = "footprint: " + Describe("none", none);

  const std::pair<const char*, const char*> devices[] = {
      {"kb1", "keyboard"}, {"m1", "mouse"}, {"es1", "es2862"}};
  ProcessFigures before = none;
  for (const auto& [name, kind] : devices) {
    program->Send(std::string("plug ") + name + " " + kind);
    std::this_thread::sleep_for(2s);
    const ProcessFigures after = ReadProcessFigures(pid);
    char text[160];
    std::snprintf(text, sizeof text, "; +%s rss%+ldKiB private%+ldKiB threads%+ld fds%+ld", kind,
                  after.rssKiB - before.rssKiB, after.privateKiB - before.privateKiB,
                  after.threads - before.threads, after.fds - before.fds);
    line += text;
    before = after;
  }
  line += "; " + Describe("3 devices", before);

  for (size_t n = 0; n < 3; ++n) program->Send(EventLine(n));
  if (!WaitForDeviceMessages(*program, 3)) {
    std::puts("error: the first events never reached the main window");
    return 1;
  }
  std::this_thread::sleep_for(3s);  // the popups have hidden again
  const ProcessFigures firstPopup = ReadProcessFigures(pid);
  line += "; " + Describe("first popups", firstPopup);

  for (size_t n = 3; n < events; ++n) program->Send(EventLine(n));
  if (!WaitForDeviceMessages(*program, events)) {
    std::puts("error: events were lost");
    return 1;
  }
  std::this_thread::sleep_for(3s);
  const ProcessFigures afterEvents = ReadProcessFigures(pid);
  line += "; " + Describe(("after " + std::to_string(events) + " events").c_str(), afterEvents);
  char growth[120];
  std::snprintf(growth, sizeof growth, " (rss%+ldKiB private%+ldKiB since the first popups)",
                afterEvents.rssKiB - firstPopup.rssKiB,
                afterEvents.privateKiB - firstPopup.privateKiB);
  line += growth;

  const ProcessFigures idleStart = ReadProcessFigures(pid);
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const ProcessFigures idleEnd = ReadProcessFigures(pid);
  // Thread by thread: a thread that ended while idle (a thread pool's
  // worker expiring) must not make the sum go down.
  uint64_t switches = 0;
  uint64_t cpuNs = 0;
  std::string woken;
  int ended = 0;
  for (const auto& [thread, before] : idleStart.byThread) {
    const auto after = idleEnd.byThread.find(thread);
    if (after == idleEnd.byThread.end()) {
      ++ended;
      continue;
    }
    const uint64_t more = after->second.contextSwitches - before.contextSwitches;
    switches += more;
    cpuNs += after->second.cpuNs - before.cpuNs;
    const bool mainThread = thread.ends_with("/" + std::to_string(pid));
    if (more != 0)
      woken += " " + thread + (mainThread ? "(main)" : "") + "+" + std::to_string(more);
  }
  char idle[200];
  std::snprintf(idle, sizeof idle,
                "; idle %ds: %.2f context switches/s, %.3f ms CPU/s, %d threads ended;",
                idleSeconds, static_cast<double>(switches) / idleSeconds,
                static_cast<double>(cpuNs) / 1e6 / idleSeconds, ended);
  line += idle + (woken.empty() ? std::string(" no thread woke") : woken);
  std::puts(line.c_str());
  program->Send("close");
  program->WaitForExit(10s);
  return 0;
}
