// Report to popup on screen, as the X server sees it, side by side with a
// notification daemon (dunst) in the same private X session and the same run.
//
// Ours: from the scenario line that makes a simulated keyboard report an LT
// key state until a second connection reads back, in the popup's corner of
// the screen, exactly the pixels of the finished popup (so the window is
// mapped and its first paint is done). The time includes the simulator's own
// step from its standard input to the report, one turn of the user-interface
// thread.
//
// dunst: from an org.freedesktop.Notifications.Notify call sent on a bus
// connection opened beforehand (a private dbus-daemon of the bench) until its
// popup's finished pixels are read back the same way. No process start is
// timed on either side.
//
// Three cases, each p50/p99/max:
// - first show after start-up: a new program (a new dunst) per sample, its
//   first popup, a second after it started;
// - shown after it had hidden: one program, each sample after the popup hid
//   (ours by its 2 s timer, dunst's when its notification expired after 2 s);
// - shown again while visible: the text changes while the popup is on screen
//   (dunst: the notification replaced by id).
// For ours, in brackets, the moment the program's trace line of the show
// arrived, which splits the time into the program's own steps and the window
// system's (map, paint).
//
//   corvane_popup_onscreen_bench [--first N] [--hidden N] [--visible N] [--no-peer]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/desktop_session.h"
#include "bench/percentiles.h"
#include "tests/support/popup_trace_line.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
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

struct Samples {
  std::vector<double> onScreenMs;
  std::vector<double> tracedMs;  // ours only: the show's trace line
};

// The three cases of one side.
struct SideFigures {
  Samples first;
  Samples hidden;
  Samples visible;
};

// ---- ours ----

struct PopupLook {
  std::string command;
  Screenshot finished;
};

class OurPopup {
 public:
  explicit OurPopup(BenchDesktop& desktop) : m_Desktop(desktop), m_Probe(desktop.Probe()) {}

  // Starts the program and takes the finished pixels of the two texts the
  // samples alternate between. Empty on success, otherwise what failed.
  std::string Prepare() {
    if (!Start()) return "the simulator's program did not start";
    for (const char* command : {"lt kb1 3", "lt kb1 2"}) {
      const size_t from = m_Program->LineCount();
      m_Program->Send(command);
      const auto shown = m_Program->WaitForLine(IsPopupShow, 5s, from);
      const auto place = shown ? ParsePopupShow(shown->text) : std::nullopt;
      if (!place) return "no popup was shown";
      std::this_thread::sleep_for(500ms);
      const auto grab = m_Probe.Grab(ScreenRect{place->x, place->y, place->width, place->height});
      if (!grab) return "the screen cannot be read back";
      m_Looks.push_back({command, *grab});
      if (!WaitForHide(from)) return "the popup did not hide";
    }
    if (m_Looks[0].finished.pixels == m_Looks[1].finished.pixels) return "two texts look alike";
    return {};
  }

  std::optional<double> ShownAfterHidden(Samples& samples) {
    if (!WaitForHide(m_LastShow)) return std::nullopt;
    return Show(m_Looks[0], samples);
  }

  // Shows the first look (not timed) and then alternates while visible.
  bool ShownWhileVisible(int count, Samples& samples) {
    Samples untimed;
    if (!WaitForHide(m_LastShow) || !Show(m_Looks[0], untimed)) return false;
    for (int n = 0; n < count; ++n) {
      std::this_thread::sleep_for(50ms);  // well inside the two seconds
      if (!Show(m_Looks[(n + 1) % 2], samples)) return false;
    }
    return true;
  }

  std::optional<double> FirstShow(Samples& samples) {
    Stop();
    if (!Start()) return std::nullopt;
    return Show(m_Looks[0], samples);
  }

  void Stop() {
    if (!m_Program) return;
    m_Program->Send("close");
    m_Program->WaitForExit(10s);
    m_Program.reset();
  }

 private:
  bool Start() {
    m_Program = m_Desktop.StartSimulator();
    m_Program->Send("plug kb1 keyboard");
    if (!m_Program->Started() || !m_Desktop.WaitForTrayIcon(*m_Program, 20ms)) return false;
    std::this_thread::sleep_for(1s);  // discovery and the monitor are done
    m_LastShow = m_Program->LineCount();
    return true;
  }

  bool WaitForHide(size_t from) {
    return m_Program
        ->WaitForLine([](const std::string& l) { return IsPopupHide(l, "LTKeyHint"); }, 5s, from)
        .has_value();
  }

  std::optional<double> Show(const PopupLook& look, Samples& samples) {
    const size_t from = m_Program->LineCount();
    const auto begin = Clock::now();
    m_Program->Send(look.command);
    const std::optional<double> onScreen = WaitForPixels(m_Probe, look.finished, begin);
    const auto traced = m_Program->WaitForLine(IsPopupShow, 2s, from);
    m_LastShow = traced ? traced->index : from;
    if (!onScreen || !traced) return std::nullopt;
    samples.onScreenMs.push_back(*onScreen);
    samples.tracedMs.push_back(MsBetween(begin, traced->time));
    return onScreen;
  }

  BenchDesktop& m_Desktop;
  XProbe& m_Probe;
  std::unique_ptr<ChildProcess> m_Program;
  std::vector<PopupLook> m_Looks;
  size_t m_LastShow = 0;
};

// ---- dunst ----

constexpr const char* kNotifications = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";

// dunst in the bench's X session, on a private session bus, with a
// configuration of its own: top-right corner (away from ours), notifications
// that expire after two seconds as ours hide.
class Dunst {
 public:
  explicit Dunst(BenchDesktop& desktop) : m_Desktop(desktop), m_Probe(desktop.Probe()) {}
  ~Dunst() {
    m_Dunst.reset();
    m_Connection.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("corvane-bench"));
  }

  std::string Prepare() {
    ChildOptions bus;
    bus.captureStdout = true;
    m_Bus = m_Desktop.Launch({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, bus);
    const auto address = m_Bus->WaitForLine([](const std::string& l) { return !l.empty(); }, 10s);
    if (!address) return "dbus-daemon did not start";
    m_Address = address->text;
    m_Connection.emplace(QDBusConnection::connectToBus(QString::fromStdString(m_Address),
                                                       QStringLiteral("corvane-bench")));
    if (!m_Connection->isConnected()) return "no connection to the private session bus";
    m_Config = m_Temp.Folder() + "/dunstrc";
    std::ofstream(m_Config) << "[global]\n"
                               "    origin = top-right\n"
                               "    offset = 10x10\n"
                               "    follow = none\n";
    if (!Start()) return "dunst did not take the notifications' bus name";
    for (const char* body : {"LT 3", "LT 2"}) {
      const auto id = Notify(body, 0);
      if (!id) return "dunst did not answer Notify";
      std::this_thread::sleep_for(500ms);
      const auto area = PopupArea();
      if (!area) return "no dunst popup on screen";
      const auto grab = m_Probe.Grab(*area);
      if (!grab) return "the screen cannot be read back";
      m_Looks.push_back({body, *grab});
      if (!CloseAndWaitUntilHidden(*id)) return "dunst's popup did not hide";
    }
    if (m_Looks[0].finished.pixels == m_Looks[1].finished.pixels) return "two texts look alike";
    return {};
  }

  // Each sample after the previous popup expired, as a user sees it.
  std::optional<double> ShownAfterHidden(Samples& samples) {
    const auto shown = Show(m_Looks[0], 0, samples);
    if (!shown || !WaitUntil([&] { return !PopupArea(); }, 5000ms)) return std::nullopt;
    return shown->first;
  }

  bool ShownWhileVisible(int count, Samples& samples) {
    Samples untimed;
    auto shown = Show(m_Looks[0], 0, untimed);
    if (!shown) return false;
    uint32_t id = shown->second;
    for (int n = 0; n < count; ++n) {
      std::this_thread::sleep_for(50ms);
      shown = Show(m_Looks[(n + 1) % 2], id, samples);
      if (!shown) return false;
      id = shown->second;
    }
    return CloseAndWaitUntilHidden(id);
  }

  std::optional<double> FirstShow(Samples& samples) {
    m_Dunst.reset();
    // The bus frees the name once it sees the old dunst's connection close.
    if (!WaitUntil([&] { return !NameOwned(); }, 10000ms) || !Start()) return std::nullopt;
    const auto shown = Show(m_Looks[0], 0, samples);
    if (!shown || !CloseAndWaitUntilHidden(shown->second)) return std::nullopt;
    return shown->first;
  }

 private:
  struct Look {
    const char* body;
    Screenshot finished;
  };

  bool Start() {
    ChildOptions options;
    options.environment["DBUS_SESSION_BUS_ADDRESS"] = m_Address;
    m_Dunst = m_Desktop.Launch({"dunst", "-config", m_Config}, options);
    const auto deadline = Clock::now() + 20s;
    while (!NameOwned()) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(1s);  // as ours: a second after it started
    return true;
  }

  bool NameOwned() {
    return m_Connection->interface()->isServiceRegistered(QString::fromLatin1(kNotifications));
  }

  QDBusPendingCall SendNotify(const char* body, uint32_t replaces) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kNotifications), QString::fromLatin1(kNotificationsPath),
        QString::fromLatin1(kNotifications), QStringLiteral("Notify"));
    call << QStringLiteral("corvane-bench") << replaces << QString() << QStringLiteral("LT Key")
         << QString::fromLatin1(body) << QStringList() << QVariantMap() << 2000;
    return m_Connection->asyncCall(call);
  }

  std::optional<uint32_t> Notify(const char* body, uint32_t replaces) {
    QDBusPendingReply<uint32_t> reply = SendNotify(body, replaces);
    reply.waitForFinished();
    if (reply.isError()) return std::nullopt;
    return reply.value();
  }

  // The time to the finished pixels and the notification's id.
  std::optional<std::pair<double, uint32_t>> Show(const Look& look, uint32_t replaces,
                                                  Samples& samples) {
    const auto begin = Clock::now();
    QDBusPendingReply<uint32_t> reply = SendNotify(look.body, replaces);
    const std::optional<double> onScreen = WaitForPixels(m_Probe, look.finished, begin);
    reply.waitForFinished();
    if (!onScreen || reply.isError()) return std::nullopt;
    samples.onScreenMs.push_back(*onScreen);
    return std::pair{*onScreen, reply.value()};
  }

  std::optional<ScreenRect> PopupArea() {
    for (const xcb_window_t window : m_Probe.WindowsOfClass("Dunst")) {
      if (m_Probe.IsViewable(window)) return m_Probe.RootGeometry(window);
    }
    return std::nullopt;
  }

  bool CloseAndWaitUntilHidden(uint32_t id) {
    m_Connection->call(QDBusMessage::createMethodCall(QString::fromLatin1(kNotifications),
                                                      QString::fromLatin1(kNotificationsPath),
                                                      QString::fromLatin1(kNotifications),
                                                      QStringLiteral("CloseNotification"))
                       << id);
    return WaitUntil([&] { return !PopupArea(); }, 5000ms);
  }

  BenchDesktop& m_Desktop;
  XProbe& m_Probe;
  ::TempDir m_Temp{"corvane-bench-dunst"};
  std::unique_ptr<ChildProcess> m_Bus;
  std::unique_ptr<ChildProcess> m_Dunst;
  std::string m_Address;
  std::string m_Config;
  std::optional<QDBusConnection> m_Connection;
  std::vector<Look> m_Looks;
};

// ---- the table ----

std::string Cell(const std::vector<double>& samples) {
  if (samples.empty()) return "-";
  return PercentileFigures(samples, "");
}

std::string Ratio(const std::vector<double>& ours, const std::vector<double>& peer) {
  if (ours.empty() || peer.empty()) return "-";
  char text[64];
  std::snprintf(text, sizeof text, "p50 %.2f p99 %.2f",
                Percentile(ours, 0.5) / Percentile(peer, 0.5),
                Percentile(ours, 0.99) / Percentile(peer, 0.99));
  return text;
}

void PrintRow(const char* name, size_t count, const Samples& ours, const Samples& peer) {
  std::printf("%-27s (%3zu)  ours %s [show traced %s]  dunst %s  ours/dunst %s\n", name, count,
              Cell(ours.onScreenMs).c_str(), Cell(ours.tracedMs).c_str(),
              Cell(peer.onScreenMs).c_str(), Ratio(ours.onScreenMs, peer.onScreenMs).c_str());
}

bool Fail(const std::string& what) {
  std::printf("error: %s\n", what.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int firstShows = 20;
  int hiddenShows = 40;
  int visibleShows = 40;
  bool withPeer = true;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--no-peer") == 0) withPeer = false;
    if (hasValue && std::strcmp(argv[i], "--first") == 0) firstShows = std::atoi(argv[i + 1]);
    if (hasValue && std::strcmp(argv[i], "--hidden") == 0) hiddenShows = std::atoi(argv[i + 1]);
    if (hasValue && std::strcmp(argv[i], "--visible") == 0) visibleShows = std::atoi(argv[i + 1]);
  }
  // The bus connection to dunst needs an application object.
  QCoreApplication application(argc, argv);
  const std::string loadBefore = LoadAverage();
  BenchDesktop desktop;
  if (const std::string failure = desktop.Start(); !failure.empty()) {
    std::printf("error: %s\n", failure.c_str());
    return 1;
  }

  OurPopup ours(desktop);
  if (const std::string failure = ours.Prepare(); !failure.empty()) return Fail(failure), 1;
  std::optional<Dunst> dunst;
  if (withPeer) {
    dunst.emplace(desktop);
    if (const std::string failure = dunst->Prepare(); !failure.empty()) {
      return Fail("dunst: " + failure), 1;
    }
  }

  // The two sides take turns sample by sample, so a busy moment of the
  // machine falls on both alike.
  SideFigures our, peer;
  for (int n = 0; n < hiddenShows; ++n) {
    if (!ours.ShownAfterHidden(our.hidden)) return Fail("a popup shown again never showed"), 1;
    if (dunst && !dunst->ShownAfterHidden(peer.hidden))
      return Fail("dunst's popup never showed"), 1;
  }
  for (int n = 0; n < 4; ++n) {
    const int count = visibleShows / 4 + (n < visibleShows % 4 ? 1 : 0);
    if (!ours.ShownWhileVisible(count, our.visible))
      return Fail("a visible popup never changed"), 1;
    if (dunst && !dunst->ShownWhileVisible(count, peer.visible)) {
      return Fail("dunst's visible popup never changed"), 1;
    }
  }
  for (int n = 0; n < firstShows; ++n) {
    if (!ours.FirstShow(our.first)) return Fail("a first popup never showed"), 1;
    if (dunst && !dunst->FirstShow(peer.first)) return Fail("dunst's first popup never showed"), 1;
  }
  ours.Stop();

  std::printf("report to popup on screen, ms (load average before %s, after %s)\n",
              loadBefore.c_str(), LoadAverage().c_str());
  PrintRow("first show after start-up", static_cast<size_t>(firstShows), our.first, peer.first);
  PrintRow("shown after it had hidden", static_cast<size_t>(hiddenShows), our.hidden, peer.hidden);
  PrintRow("shown again while visible", static_cast<size_t>(visibleShows), our.visible,
           peer.visible);
  return 0;
}
