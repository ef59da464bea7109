// corvane-vm-scenario: runs inside the test VM, as root, against the real
// kernel. It plugs a keyboard, a mouse and an ES2862-family mouse into
// vhci-hcd over USB/IP, starts the program with its device log on, and
// follows it through discovery, input reports, an unplug and replug of the
// mouse, and a close by SIGTERM, checking the program's log against what the
// devices saw on their control pipes.
//
//   corvane-vm-scenario PROGRAM
//
// Prints one "ok"/"FAIL" line per check and, last, "VM TEST PASSED" or
// "VM TEST FAILED"; the exit code follows.
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/vm/emulated_hid_device.h"
#include "tests/vm/program_under_test.h"
#include "tests/vm/usbip_server.h"

using namespace std::chrono_literals;

namespace {

// The vendor collection's interrupt endpoint of each device.
constexpr uint8_t kFamilyVendorEndpoint = 2;
constexpr uint8_t kEs2862Endpoint = 1;
constexpr int kKeyboardPort = 0;
constexpr int kMousePort = 1;
constexpr int kEs2862Port = 2;

// Qt under software emulation, with its libraries read over 9p, takes a
// while to come up; everything after that is quick.
constexpr auto kStartTimeout = 90s;
constexpr auto kEventTimeout = 30s;
// How long to watch for something that must not happen.
constexpr auto kQuietPeriod = 1500ms;

int g_failures = 0;

void Check(bool condition, const std::string& what) {
  std::printf("%s %s\n", condition ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!condition) ++g_failures;
}

void Note(const std::string& text) {
  std::printf("-- %s\n", text.c_str());
  std::fflush(stdout);
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

// The hidraw node ("hidrawN") of one USB interface of a device, found through
// sysfs: the HID device's HID_ID names vendor and product, its path the
// interface ("…:1.<n>/").
std::string FindHidrawNode(const DeviceSpec& spec, int interface) {
  const std::string idTail = ":0000" + Hex4(spec.vendorId) + ":0000" + Hex4(spec.productId);
  const std::string interfaceMark = ":1." + std::to_string(interface) + "/";
  DIR* directory = ::opendir("/sys/class/hidraw");
  if (directory == nullptr) return {};
  std::string found;
  while (const dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    if (name.rfind("hidraw", 0) != 0) continue;
    char resolved[4096];
    const std::string link = "/sys/class/hidraw/" + name;
    if (::realpath(link.c_str(), resolved) == nullptr) continue;
    const std::string path = resolved;
    std::ifstream uevent(link + "/device/uevent");
    std::string line;
    bool sameDevice = false;
    while (std::getline(uevent, line)) {
      if (line.rfind("HID_ID=", 0) == 0 && line.size() >= idTail.size() &&
          line.compare(line.size() - idTail.size(), idTail.size(), idTail) == 0) {
        sameDevice = true;
      }
    }
    if (sameDevice && path.find(interfaceMark) != std::string::npos) {
      found = name;
      break;
    }
  }
  ::closedir(directory);
  return found;
}

// The program's path of a collection of a node: the node, the collection
// suffix and the node's HID device instance ("0003:1A2C:1A20.0007"), as
// the backend hands them out and the arrival and removal lines show them.
std::string InterfacePathOf(const std::string& node, const std::string& suffix) {
  char resolved[4096];
  const std::string link = "/sys/class/hidraw/" + node + "/device";
  if (::realpath(link.c_str(), resolved) == nullptr) return {};
  const std::string hidDevice = resolved;
  return "/dev/" + node + suffix + "#" + hidDevice.substr(hidDevice.find_last_of('/') + 1);
}

// The candidate list keeps paths lower-cased.
std::string Lowercased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string WaitForHidrawNode(const DeviceSpec& spec, int interface, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    std::string node = FindHidrawNode(spec, interface);
    if (!node.empty() || std::chrono::steady_clock::now() >= deadline) return node;
    std::this_thread::sleep_for(50ms);
  }
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

auto LineWith(const std::string& part) {
  return [part](const std::string& line) { return Contains(line, part); };
}

size_t CountLines(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<size_t>(std::count_if(
      lines.begin(), lines.end(), [&](const std::string& l) { return Contains(l, part); }));
}

// The device messages the program logged, as "1025 wParam=3 lParam=0".
std::vector<std::string> DeviceMessages(const std::vector<std::string>& lines) {
  std::vector<std::string> messages;
  for (const std::string& line : lines) {
    const size_t at = line.find("message ");
    if (at != std::string::npos) messages.push_back(line.substr(at + 8));
  }
  return messages;
}

// Copies the program and the Data folder beside it into `folder`, readable
// and executable by every user; the copy's path, or "" when it failed.
std::string CopyProgramForEveryone(const std::string& program, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path source(program);
  fs::create_directories(folder, error);
  fs::copy(source, fs::path(folder) / source.filename(), fs::copy_options::overwrite_existing,
           error);
  if (error) return {};
  fs::copy(source.parent_path() / "Data", fs::path(folder) / "Data",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
  if (error) return {};
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    fs::permissions(entry.path(), fs::perms::others_read | fs::perms::group_read,
                    fs::perm_options::add, error);
    if (entry.is_directory() || entry.path().filename() == source.filename()) {
      fs::permissions(entry.path(), fs::perms::others_exec | fs::perms::group_exec,
                      fs::perm_options::add, error);
    }
  }
  fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add,
                  error);
  return (fs::path(folder) / source.filename()).string();
}

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : "; ") + item;
  return "[" + out + "]";
}

// The feature frames the family's devices understand, first 16 bytes.
bool IsEnterFrame(const FeatureTraffic& t) {
  if (!t.hostWrote || t.data.size() < 16 || t.data[0] != 0x07 || t.data[1] != 0x09) return false;
  for (size_t i = 2; i < 16; ++i) {
    if (t.data[i] != (i == 8 ? 0x01 : 0x00)) return false;
  }
  return true;
}

bool IsLeaveFrame(const FeatureTraffic& t) {
  if (!t.hostWrote || t.data.size() < 16 || t.data[0] != 0x07 || t.data[1] != 0x09) return false;
  return std::all_of(t.data.begin() + 2, t.data.begin() + 16, [](uint8_t b) { return b == 0; });
}

size_t CountIf(const std::vector<FeatureTraffic>& log, size_t from,
               bool (*predicate)(const FeatureTraffic&)) {
  size_t n = 0;
  for (size_t i = from; i < log.size(); ++i) n += predicate(log[i]) ? 1 : 0;
  return n;
}

// Feature traffic may only reach the vendor collection: report ID 0x07 on
// the family's interface 1, and nothing at all at an ES2862-family device.
void CheckFeatureTrafficPlaces(const EmulatedHidDevice& device) {
  const auto log = device.FeatureLog();
  const bool takesCommands = device.Spec().commands.has_value();
  size_t misplaced = 0;
  for (const FeatureTraffic& t : log) {
    if (!takesCommands || t.interface != 1 || t.reportId != 0x07) ++misplaced;
  }
  Check(misplaced == 0, device.Spec().name + ": no feature report outside the vendor collection (" +
                            std::to_string(misplaced) + " of " + std::to_string(log.size()) + ")");
}

struct Devices {
  EmulatedHidDevice keyboard{FamilyKeyboardSpec()};
  EmulatedHidDevice mouse{FamilyMouseSpec()};
  EmulatedHidDevice es2862{Es2862Spec()};
  std::unique_ptr<UsbipConnection> keyboardLink, mouseLink, es2862Link;
};

// Sends a report and waits for the program to log `expected` (a device
// message such as "1025 wParam=3 lParam=0"), or, with an empty `expected`,
// makes sure nothing new is logged for a while.
void SendAndExpect(ProgramUnderTest& program, UsbipConnection& link, uint8_t endpoint,
                   const std::vector<uint8_t>& report, const std::string& expected,
                   const std::string& what) {
  const size_t before = DeviceMessages(program.Lines()).size();
  const size_t from = program.Lines().size();
  const bool sent = link.SendInputReport(endpoint, report);
  if (expected.empty()) {
    std::this_thread::sleep_for(kQuietPeriod);
    const auto messages = DeviceMessages(program.Lines());
    Check(
        sent && messages.size() == before,
        what + ": no message" + (messages.size() > before ? " (got " + messages.back() + ")" : ""));
    return;
  }
  const auto at = program.WaitForLine(from, LineWith("message " + expected), kEventTimeout);
  Check(sent && at.has_value(), what + ": message " + expected);
}

int Run(const std::string& programPath) {
  Devices devices;
  VhciController vhci;
  std::string error;

  Note("plugging in the keyboard, the mouse and the ES2862-family mouse");
  devices.keyboardLink = vhci.Attach(devices.keyboard, kKeyboardPort, &error);
  if (devices.keyboardLink) devices.mouseLink = vhci.Attach(devices.mouse, kMousePort, &error);
  if (devices.mouseLink) devices.es2862Link = vhci.Attach(devices.es2862, kEs2862Port, &error);
  Check(devices.es2862Link != nullptr, "three devices attached to vhci-hcd " + error);
  if (!devices.es2862Link) return 1;

  const std::string keyboardBoot = WaitForHidrawNode(devices.keyboard.Spec(), 0, 30s);
  const std::string keyboardVendor = WaitForHidrawNode(devices.keyboard.Spec(), 1, 30s);
  const std::string mouseBoot = WaitForHidrawNode(devices.mouse.Spec(), 0, 30s);
  const std::string mouseVendor = WaitForHidrawNode(devices.mouse.Spec(), 1, 30s);
  const std::string es2862Node = WaitForHidrawNode(devices.es2862.Spec(), 0, 30s);
  Check(!keyboardBoot.empty() && !keyboardVendor.empty() && !mouseBoot.empty() &&
            !mouseVendor.empty() && !es2862Node.empty(),
        "hidraw nodes: keyboard " + keyboardBoot + "," + keyboardVendor + " mouse " + mouseBoot +
            "," + mouseVendor + " es2862 " + es2862Node);
  if (g_failures != 0) return 1;
  Check(ReadFirstLine("/sys/class/hidraw/" + keyboardVendor + "/device/../../manufacturer") ==
            "COMPANY ",
        "the keyboard's manufacturer string keeps its trailing blank in sysfs");

  // The keyboard's vendor interface carries consumer control, system
  // control and the vendor collection, in that order; the mouse's and the
  // ES2862's one collection each.
  const std::string keyboardPath = Lowercased(InterfacePathOf(keyboardVendor, "&col03"));
  const std::string mouseNodePath = InterfacePathOf(mouseVendor, "");
  const std::string mousePath = Lowercased(mouseNodePath);
  const std::string es2862Path = InterfacePathOf(es2862Node, "");

  Note("starting " + programPath);
  ProgramUnderTest program;
  if (!program.Start(programPath,
                     {"QT_QPA_PLATFORM=offscreen", "QT_LOGGING_RULES=corvane.device.debug=true"},
                     &error)) {
    Check(false, "program started: " + error);
    return 1;
  }

  // A pass starts the ES2862 monitors last: once that line is there, the
  // first pass is over.
  const auto es2862Up =
      program.WaitForLine(0, LineWith("monitor ES2862 " + es2862Path), kStartTimeout);
  const auto keyboardUp = program.WaitForLine(
      0, LineWith("monitor Keyboard " + keyboardPath + " (notification mode on)"), kEventTimeout);
  const auto mouseUp = program.WaitForLine(
      0, LineWith("monitor Mouse " + mousePath + " (notification mode on)"), kEventTimeout);
  Check(keyboardUp.has_value(), "discovery: keyboard monitor on " + keyboardPath);
  Check(mouseUp.has_value(), "discovery: mouse monitor on " + mousePath);
  Check(es2862Up.has_value(), "discovery: ES2862 monitor on " + es2862Path);
  if (!keyboardUp || !mouseUp || !es2862Up) return 1;
  // Let the monitors open their nodes and the pass end.
  std::this_thread::sleep_for(kQuietPeriod);
  {
    const auto lines = program.Lines();
    Check(CountLines(lines, "monitor ") == 3, "discovery: exactly three monitors started");
    Check(CountIf(devices.keyboard.FeatureLog(), 0, IsEnterFrame) == 1,
          "keyboard: one enter-notification-mode frame 07 09 00 00 00 00 00 00 01");
    Check(CountIf(devices.mouse.FeatureLog(), 0, IsEnterFrame) == 1,
          "mouse: one enter-notification-mode frame");
    CheckFeatureTrafficPlaces(devices.keyboard);
    CheckFeatureTrafficPlaces(devices.mouse);
    CheckFeatureTrafficPlaces(devices.es2862);
  }

  Note("input reports");
  UsbipConnection& keyboard = *devices.keyboardLink;
  UsbipConnection& es2862 = *devices.es2862Link;
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, FamilyReport({{1, 0x20}, {4, 0x83}}),
                "1025 wParam=3 lParam=0", "keyboard LT key 3");
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, FamilyReport({{1, 0x20}, {6, 0xC2}}),
                "1024 wParam=2 lParam=1", "keyboard RT mode 2 with its flag");
  // Consumer and system control share the node with the vendor collection;
  // the monitor of the vendor collection must not see their reports (were
  // it to, the bytes the last report left in its buffer would post again).
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, {0x02, 0x20, 0x00}, "",
                "consumer control report on the keyboard's node");
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, {0x03, 0x20}, "",
                "system control report on the keyboard's node");
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, FamilyReport({{1, 0x20}, {6, 0x02}}), "",
                "keyboard report without change bits");
  SendAndExpect(program, *devices.mouseLink, kFamilyVendorEndpoint,
                FamilyReport({{1, 0x01}, {12, 0x0D}}), "1026 wParam=5 lParam=0", "mouse CPI 5");
  SendAndExpect(program, *devices.mouseLink, kFamilyVendorEndpoint,
                FamilyReport({{1, 0x20}, {4, 0x81}}), "", "keyboard-class report at the mouse");
  SendAndExpect(program, es2862, kEs2862Endpoint, Es2862Report(0x86, 9), "",
                "ES2862 report with another event code");
  SendAndExpect(program, es2862, kEs2862Endpoint, Es2862Report(0x87, 0xC8),
                "1026 wParam=200 lParam=0", "ES2862 CPI level 200, whole byte");
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint,
                FamilyReport({{1, 0x20}, {4, 0x86}, {6, 0x81}}), "1025 wParam=6 lParam=0",
                "keyboard RT mode and LT key in one report");
  const std::vector<std::string> expectedSoFar = {
      "1025 wParam=3 lParam=0",   "1024 wParam=2 lParam=1", "1026 wParam=5 lParam=0",
      "1026 wParam=200 lParam=0", "1024 wParam=1 lParam=0", "1025 wParam=6 lParam=0"};
  Check(DeviceMessages(program.Lines()) == expectedSoFar,
        "device messages in order: " + Join(DeviceMessages(program.Lines())));

  Note("unplugging the mouse");
  const size_t mouseTrafficBefore = devices.mouse.FeatureLog().size();
  size_t from = program.Lines().size();
  Check(vhci.Detach(kMousePort, &error), "mouse detached " + error);
  const auto removed =
      program.WaitForLine(from, LineWith("removal " + mouseNodePath), kEventTimeout);
  Check(removed.has_value(), "removal of " + mouseNodePath + " reaches the main window");
  devices.mouseLink.reset();
  std::this_thread::sleep_for(kQuietPeriod);
  Check(program.Running(), "the program carries on after the unplug");
  // The mouse's monitor ended and emptied the keyboard monitor's slot with
  // its own; the main window gives the keyboard a new monitor at once, so
  // the device still plugged in keeps showing its changes.
  const auto keyboardReplaced = program.WaitForLine(
      from, LineWith("monitor Keyboard " + keyboardPath + " (again)"), kEventTimeout);
  Check(keyboardReplaced.has_value(), "the keyboard's monitor is replaced after the unplug");
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, FamilyReport({{1, 0x20}, {4, 0x82}}),
                "1025 wParam=2 lParam=0", "keyboard report after the mouse's monitor ended");
  Check(program.Running(), "the program still runs");

  Note("plugging the mouse in again");
  from = program.Lines().size();
  devices.mouseLink = vhci.Attach(devices.mouse, kMousePort, &error);
  Check(devices.mouseLink != nullptr, "mouse attached again " + error);
  if (!devices.mouseLink) return 1;
  const std::string mouseVendorAgain = WaitForHidrawNode(devices.mouse.Spec(), 1, 30s);
  const std::string mouseNodePathAgain = InterfacePathOf(mouseVendorAgain, "");
  const std::string mousePathAgain = Lowercased(mouseNodePathAgain);
  Note("the mouse is back on " + mouseVendorAgain + ", it was on " + mouseVendor);
  Check(mousePathAgain != mousePath, "the replugged mouse has a path of its own");
  const auto arrival =
      program.WaitForLine(from, LineWith("arrival " + mouseNodePathAgain), kEventTimeout);
  Check(arrival.has_value(), "arrival of " + mouseNodePathAgain);
  // The pass finds the keyboard and the ES2862 mouse watched already: only
  // the mouse gets a monitor and its command.
  const auto mouseAgain =
      program.WaitForLine(from, LineWith("monitor Mouse " + mousePathAgain), kEventTimeout);
  Check(mouseAgain.has_value(), "the arrival runs a discovery pass: the mouse monitored again");
  std::this_thread::sleep_for(kQuietPeriod);
  const std::vector<std::string> afterArrival = program.Lines();
  Check(CountLines(std::vector<std::string>(afterArrival.begin() + static_cast<long>(from),
                                            afterArrival.end()),
                   "monitor Keyboard ") == 0,
        "the keyboard, watched all along, gets no monitor from the pass");
  Check(CountIf(devices.mouse.FeatureLog(), mouseTrafficBefore, IsEnterFrame) == 1,
        "the mouse is switched into notification mode again");
  Check(CountLines(program.Lines(), "monitor ") == 5,
        "five monitors in all: three, the keyboard's replacement and the mouse's; the "
        "still-running ES2862 monitor was not doubled");
  SendAndExpect(program, keyboard, kFamilyVendorEndpoint, FamilyReport({{1, 0x20}, {4, 0x84}}),
                "1025 wParam=4 lParam=0", "keyboard LT key 4 after the new pass");
  SendAndExpect(program, *devices.mouseLink, kFamilyVendorEndpoint,
                FamilyReport({{1, 0x01}, {12, 0x0A}}), "1026 wParam=2 lParam=0",
                "mouse CPI 2 after the replug");
  auto expected = expectedSoFar;
  expected.insert(expected.end(),
                  {"1025 wParam=2 lParam=0", "1025 wParam=4 lParam=0", "1026 wParam=2 lParam=0"});
  Check(DeviceMessages(program.Lines()) == expected,
        "each report posted once: " + Join(DeviceMessages(program.Lines())));

  Note("closing the program with SIGTERM");
  const size_t keyboardTraffic = devices.keyboard.FeatureLog().size();
  const size_t mouseTraffic = devices.mouse.FeatureLog().size();
  from = program.Lines().size();
  Check(program.SendSignal(SIGTERM), "SIGTERM sent");
  const auto exitStatus = program.WaitForExit(30s);
  Check(exitStatus.has_value() && WIFEXITED(*exitStatus) && WEXITSTATUS(*exitStatus) == 0,
        "the program closes and exits with 0");
  const auto lines = program.Lines();
  Check(CountLines(lines, "leave " + keyboardPath) == 1,
        "leave logged once for the keyboard, switched by the first pass only");
  const auto keyboardLog = devices.keyboard.FeatureLog();
  const auto mouseLog = devices.mouse.FeatureLog();
  Check(CountIf(keyboardLog, keyboardTraffic, IsLeaveFrame) == 1 &&
            keyboardLog.size() - keyboardTraffic == 1,
        "keyboard: one leave-notification-mode frame 07 09 00… at close, nothing else");
  // The first mouse's path names a connection that is gone, even where the
  // replugged mouse got its node number back: its leave reaches nothing.
  Check(CountLines(lines, "leave failed " + mousePath) == 1,
        "leave for the unplugged mouse's path fails");
  Check(CountIf(mouseLog, mouseTraffic, IsLeaveFrame) == 1 && mouseLog.size() - mouseTraffic == 1,
        "mouse: one leave-notification-mode frame at close, to its new path only");
  CheckFeatureTrafficPlaces(devices.keyboard);
  CheckFeatureTrafficPlaces(devices.mouse);
  CheckFeatureTrafficPlaces(devices.es2862);

  for (const UsbipConnection* link :
       {devices.keyboardLink.get(), devices.mouseLink.get(), devices.es2862Link.get()}) {
    Check(link->ProtocolErrors() == 0, "USB/IP stream without protocol errors");
  }

  // No udev runs here, so every hidraw node is root's alone: an ordinary
  // user is where a user without the package's udev rule is.
  Note("starting the program as user 65534, without access to the nodes");
  // A copy the user can reach, whatever folders the build lies in.
  const std::string userCopy = CopyProgramForEveryone(programPath, "/run/tmp/corvane");
  Check(!userCopy.empty(), "the program and its Data copied to /run/tmp/corvane");
  if (userCopy.empty()) return 1;
  ProgramUnderTest asUser;
  if (!asUser.Start(userCopy,
                    {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=", "HOME=/run/tmp",
                     "XDG_CONFIG_HOME=/run/tmp/config"},
                    &error, 65534)) {
    Check(false, "program started as a user: " + error);
    return 1;
  }
  const auto named = [&](const std::string& node) {
    return asUser.WaitForLine(
        0,
        [&](const std::string& line) {
          return Contains(line, "No access to") && Contains(line, "(/dev/" + node + ")");
        },
        kStartTimeout);
  };
  const auto keyboardNamed = named(keyboardVendor);
  const auto mouseNamed = named(mouseVendorAgain);
  const auto es2862Named = named(es2862Node);
  Check(keyboardNamed && mouseNamed && es2862Named,
        "standard error names the keyboard, the mouse and the ES2862 mouse it may not open");
  std::this_thread::sleep_for(kQuietPeriod);
  {
    const auto lines = asUser.Lines();
    Check(CountLines(lines, "No access to") == 3, "each device named once: " + Join(lines));
    Check(CountLines(lines, "sudo udevadm control --reload && sudo udevadm trigger") == 3,
          "each line says how to fix it");
    Check(CountIf(devices.keyboard.FeatureLog(), keyboardLog.size(), IsLeaveFrame) == 0 &&
              devices.keyboard.FeatureLog().size() == keyboardLog.size(),
          "the keyboard got no traffic from the program without access");
  }
  Check(asUser.SendSignal(SIGTERM), "SIGTERM sent to the program without access");
  const auto userExit = asUser.WaitForExit(30s);
  Check(userExit.has_value() && WIFEXITED(*userExit) && WEXITSTATUS(*userExit) == 0,
        "the program without access exits with 0");
  return g_failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int result = Run(argv[1]);
  if (result != 0 && g_failures == 0) ++g_failures;
  std::printf(g_failures == 0 ? "VM TEST PASSED\n" : "VM TEST FAILED (%d)\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
