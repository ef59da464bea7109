// Start-up as the user waits for it: wall time and CPU time (all threads)
// from exec until the program's tray icon is embedded in the tray host, over
// N starts of the simulator in a private X session, with nothing plugged in
// and with a keyboard, a mouse and an ES2862 mouse plugged in by the
// scenario's first lines (read as soon as the main window exists). Prints
// one line of p50/p99/max.
//
//   corvane_startup_bench [--starts N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/desktop_session.h"
#include "bench/percentiles.h"
#include "bench/process_figures.h"

using namespace std::chrono_literals;

int main(int argc, char** argv) {
  int starts = 20;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--starts") == 0) starts = std::atoi(argv[i + 1]);
  }
  BenchDesktop desktop;
  if (const std::string failure = desktop.Start(); !failure.empty()) {
    std::printf("error: %s\n", failure.c_str());
    return 1;
  }
  std::string line = "start-up to tray icon (" + std::to_string(starts) + " starts):";
  for (const bool withDevices : {false, true}) {
    std::vector<double> wallMs;
    std::vector<double> cpuMs;
    for (int run = 0; run < starts; ++run) {
      const auto begin = std::chrono::steady_clock::now();
      const auto program = desktop.StartSimulator();
      if (withDevices) {
        program->Send("plug kb1 keyboard");
        program->Send("plug m1 mouse");
        program->Send("plug es1 es2862");
      }
      if (!program->Started() || !desktop.WaitForTrayIcon(*program, 2ms)) {
        std::puts("error: the simulator's program did not start");
        return 1;
      }
      const auto embedded = std::chrono::steady_clock::now();
      const ProcessFigures figures = ReadProcessFigures(program->Pid());
      wallMs.push_back(std::chrono::duration<double, std::milli>(embedded - begin).count());
      cpuMs.push_back(static_cast<double>(figures.cpuNs) / 1e6);
      program->Send("close");
      program->WaitForExit(10s);
    }
    line += withDevices ? "; 3 devices" : " no devices";
    line += " wall " + PercentileFigures(wallMs, "ms", "%.0f");
    line += ", CPU " + PercentileFigures(cpuMs, "ms", "%.0f");
  }
  std::puts(line.c_str());
  return 0;
}
