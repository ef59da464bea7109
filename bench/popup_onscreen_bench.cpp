// Report to popup on screen, as the X server sees it: from the scenario line
// that makes a simulated keyboard report LT key state 3 until a second
// connection reads back, in the popup's corner of the screen, exactly the
// pixels of the finished popup (so the window is mapped and its first paint
// is done). The time includes the simulator's own step from its standard
// input to the report, one turn of the user-interface thread.
//
// First show: a new program per sample (the popup window is created by its
// first show). Shown again: one program, each sample after the popup hid.
// Prints one line of p50/p99/max; in brackets the same for the moment the
// program's trace line of the show arrived, which splits the time into the
// program's own steps and the window system's (map, window manager, paint).
//
//   corvane_popup_onscreen_bench [--first N] [--again N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench/desktop_session.h"
#include "bench/percentiles.h"
#include "tests/e2e/popup_trace_line.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kShow = "lt kb1 3";

double MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

bool SamePixels(const std::optional<Screenshot>& a, const Screenshot& b) {
  return a && a->pixels == b.pixels;
}

// Polls the area until it shows `expected`; the milliseconds from `begin`,
// or nothing within two seconds.
std::optional<double> WaitForPixels(XProbe& probe, const Screenshot& expected,
                                    Clock::time_point begin) {
  while (Clock::now() - begin < 2s) {
    if (SamePixels(probe.Grab(expected.area), expected)) {
      return MsBetween(begin, Clock::now());
    }
    std::this_thread::sleep_for(100us);
  }
  return std::nullopt;
}

struct ShowTimes {
  double onScreenMs = 0;  // the finished pixels read back
  double showCallMs = 0;  // the popup's show trace line read from the program
};

// Sends the show line and waits for the finished popup on screen; also when
// the program traced the show, to split the time between the program's own
// steps and the window system's.
std::optional<ShowTimes> ShowAndMeasure(ChildProcess& program, XProbe& probe,
                                        const Screenshot& finished) {
  const size_t from = program.LineCount();
  const auto begin = Clock::now();
  program.Send(kShow);
  const std::optional<double> onScreen = WaitForPixels(probe, finished, begin);
  const auto traced = program.WaitForLine(IsPopupShow, 2s, from);
  if (!onScreen || !traced) return std::nullopt;
  return ShowTimes{*onScreen, MsBetween(begin, traced->time)};
}

struct ShowSamples {
  std::vector<double> onScreenMs;
  std::vector<double> showCallMs;
  void Add(const ShowTimes& times) {
    onScreenMs.push_back(times.onScreenMs);
    showCallMs.push_back(times.showCallMs);
  }
  std::string Figures() const {
    return PercentileFigures(onScreenMs, "ms") + " (show traced " +
           PercentileFigures(showCallMs, "ms") + ")";
  }
};

std::unique_ptr<ChildProcess> StartWithKeyboard(BenchDesktop& desktop) {
  auto program = desktop.StartSimulator();
  program->Send("plug kb1 keyboard");
  if (!program->Started() || !desktop.WaitForTrayIcon(*program, 20ms)) return nullptr;
  std::this_thread::sleep_for(1s);  // discovery and the monitor are done
  return program;
}

bool WaitForHide(ChildProcess& program, size_t from) {
  return program
      .WaitForLine([](const std::string& l) { return IsPopupHide(l, "LTKeyHint"); }, 5s, from)
      .has_value();
}

}  // namespace

int main(int argc, char** argv) {
  int firstShows = 200;
  int againShows = 200;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--first") == 0) firstShows = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--again") == 0) againShows = std::atoi(argv[i + 1]);
  }
  BenchDesktop desktop;
  if (const std::string failure = desktop.Start(); !failure.empty()) {
    std::printf("error: %s\n", failure.c_str());
    return 1;
  }
  XProbe& probe = desktop.Probe();

  // The finished popup's pixels, from a show given time to settle.
  auto program = StartWithKeyboard(desktop);
  if (!program) {
    std::puts("error: the simulator's program did not start");
    return 1;
  }
  size_t from = program->LineCount();
  program->Send(kShow);
  const auto shown = program->WaitForLine(IsPopupShow, 5s, from);
  const auto place = shown ? ParsePopupShow(shown->text) : std::nullopt;
  if (!place) {
    std::puts("error: no popup was shown");
    return 1;
  }
  std::this_thread::sleep_for(500ms);
  const std::optional<Screenshot> finished =
      probe.Grab(ScreenRect{place->x, place->y, place->width, place->height});
  if (!finished) {
    std::puts("error: the screen cannot be read back");
    return 1;
  }

  ShowSamples again;
  for (int n = 0; n < againShows; ++n) {
    if (!WaitForHide(*program, from)) {
      std::puts("error: the popup did not hide");
      return 1;
    }
    from = program->LineCount();
    const std::optional<ShowTimes> times = ShowAndMeasure(*program, probe, *finished);
    if (!times) {
      std::puts("error: a popup shown again never showed its finished pixels");
      return 1;
    }
    again.Add(*times);
  }
  program->Send("close");
  program->WaitForExit(10s);

  ShowSamples first;
  for (int n = 0; n < firstShows; ++n) {
    program = StartWithKeyboard(desktop);
    if (!program) {
      std::puts("error: the simulator's program did not start");
      return 1;
    }
    const std::optional<ShowTimes> times = ShowAndMeasure(*program, probe, *finished);
    if (!times) {
      std::puts("error: a first popup never showed its finished pixels");
      return 1;
    }
    first.Add(*times);
    program->Send("close");
    program->WaitForExit(10s);
  }
  std::printf("report to popup on screen: first show (%d) %s; shown again (%d) %s\n", firstShows,
              first.Figures().c_str(), againShows, again.Figures().c_str());
  return 0;
}
