#include "app/device_discovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/message_dispatch.h"
#include "app/simulator/scenario.h"
#include "hid/IO_HID.h"
#include "monitors/monitor_thread.h"
#include "platform/sim/sim_backend.h"
#include "protocol/DeviceLists.h"
#include "tests/support/recording_poster.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The device steps of the main window as both shells take them: each
// message goes through the dispatch rules into the discovery, and the
// device events it would show are kept as text.
class DiscoveryWindow : public MessageDispatch {
 public:
  explicit DiscoveryWindow(std::unique_ptr<DeviceDiscovery>& discovery) : m_Discovery(discovery) {}

  void ShowRTModeHint(uint32_t v) override { shown.push_back("RT " + std::to_string(v)); }
  void ShowLTKeyHint(uint32_t v) override { shown.push_back("LT " + std::to_string(v)); }
  void ShowCPIHint(uint32_t v) override { shown.push_back("CPI " + std::to_string(v)); }
  bool IsForegroundWindowTopMost() override { return false; }
  void HideMainWindow() override {}
  void DeviceInterfaceArrived(const std::string& path) override {
    m_Discovery->HandleInterfaceArrival(path, !closed);
  }
  void DeviceInterfaceRemoved(const std::string& path) override {
    m_Discovery->HandleInterfaceRemoval(path);
  }
  void DeviceMonitorEnded() override {
    ++monitorEnds;
    m_Discovery->HandleMonitorEnded(!closed);
  }

  std::vector<std::string> shown;
  int monitorEnds = 0;
  bool closed = false;

 private:
  std::unique_ptr<DeviceDiscovery>& m_Discovery;
};

class DeviceDiscoveryTest : public testing::Test {
 protected:
  void SetUp() override {
    HidSetBackend(m_Sim);
    m_ModelTable = m_Root + "/Model.txt";
    WriteModelTable("[Cafe]\nKeyboard=0x1A20,0x1A24\nMouse=0x2B30\n");
    m_Discovery = std::make_unique<DeviceDiscovery>(m_Slots, m_Poster, m_ModelTable);
  }
  void TearDown() override {
    m_Discovery.reset();  // stops the monitors it started
    EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(0, 30s));
    HidSetBackend(nullptr);
  }
  void WriteModelTable(const std::string& content) { std::ofstream(m_ModelTable) << content; }

  std::string VendorPath(const std::string& name) {
    for (const std::string& path : m_Sim->PathsOf(name)) {
      const auto info = m_Sim->QueryInterface(path);
      if (info && info->usagePage >= 0xFF00) return path;
    }
    return {};
  }
  size_t FeaturesTo(const std::string& name, uint8_t code, uint8_t byte8) {
    const auto log = m_Sim->FeatureLog(name);
    return std::count_if(log.begin(), log.end(), [&](const SimFeatureRecord& r) {
      return r.kind == SimFeatureRecord::Kind::Set && r.bytes.size() > 8 && r.bytes[1] == code &&
             r.bytes[8] == byte8;
    });
  }
  void WaitForReaders(const std::string& name, size_t readers) {
    ASSERT_TRUE(m_Sim->WaitForReaders(name, readers, 30s)) << name;
  }

  // Runs the main window's loop: the backend's pending device changes
  // become messages, and every message goes through the window, until
  // `done` holds (true) or a generous deadline passes (false).
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    for (;;) {
      HidPostDeviceChanges(m_Poster);
      for (Message& message : m_Poster.Take()) {
        m_Window.MainWindowProc(message, {});
      }
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(2ms);
    }
  }
  void Pump() {
    PumpUntil([] { return true; });
  }
  // Sends one change from a device and runs the loop until it is shown.
  void ExpectShown(const std::string& name, const std::vector<uint8_t>& report,
                   const std::string& shown) {
    const size_t before = m_Window.shown.size();
    ASSERT_GT(m_Sim->SendInputReport(name, report), 0) << name;
    EXPECT_TRUE(PumpUntil([&] { return m_Window.shown.size() > before; }))
        << name << ": " << shown << " was never shown";
    if (m_Window.shown.size() > before) {
      EXPECT_EQ(m_Window.shown[before], shown) << name;
    }
  }

  std::shared_ptr<SimBackend> m_Sim = std::make_shared<SimBackend>();
  TempDir m_Temp{"corvane-discovery"};
  const std::string m_Root = m_Temp.Folder();
  std::string m_ModelTable;
  MonitorSlots m_Slots;
  RecordingPoster m_Poster;
  std::unique_ptr<DeviceDiscovery> m_Discovery;
  DiscoveryWindow m_Window{m_Discovery};
};

TEST_F(DeviceDiscoveryTest, ListedKeyboardGetsOneMonitorAndEntersNotificationMode) {
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(SimForeign("other"));
  m_Discovery->DiscoverDevices();

  EXPECT_EQ(m_Discovery->ModeDevices(), std::vector<std::string>{LowercasePath(VendorPath("kb1"))});
  EXPECT_NE(m_Slots.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(m_Slots.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);
  EXPECT_TRUE(m_Sim->InNotificationMode("kb1"));
  EXPECT_TRUE(m_Sim->FeatureLog("other").empty());

  // Its reports now reach the main window.
  WaitForReaders("kb1", 1);
  m_Sim->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 3));
  ASSERT_TRUE(m_Poster.WaitForCount(1));
  EXPECT_EQ(m_Poster.Messages()[0].msg, UM_LT_KEY);
  EXPECT_EQ(m_Poster.Messages()[0].wParam, 3u);
}

size_t LiveThreads() { return static_cast<size_t>(LiveMonitorThreads()); }

TEST_F(DeviceDiscoveryTest, APassLeavesInterfacesThatAreWatchedAlone) {
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(SimMouse("m1"));
  m_Sim->Plug(SimEs2862("es1"));
  m_Discovery->DiscoverDevices();
  const std::string kb = LowercasePath(VendorPath("kb1"));
  const std::string mouse = LowercasePath(VendorPath("m1"));
  ASSERT_EQ(m_Discovery->ModeDevices(), (std::vector<std::string>{kb, mouse}));

  // A third device comes and goes many times; every arrival runs a pass.
  for (int round = 0; round < 20; ++round) {
    m_Sim->Plug(SimForeign("other"));
    m_Discovery->DiscoverDevices();
    m_Sim->Unplug("other");
    m_Discovery->DiscoverDevices();
  }
  EXPECT_EQ(m_Discovery->ModeDevices(), (std::vector<std::string>{kb, mouse}));
  EXPECT_EQ(m_Discovery->Es2862Devices().size(), 1u);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);
  EXPECT_EQ(LiveThreads(), 3u);

  // One key press is shown once.
  WaitForReaders("kb1", 1);
  m_Sim->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 3));
  ASSERT_TRUE(m_Poster.WaitForCount(1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(m_Poster.Messages().size(), 1u);

  m_Discovery->LeaveNotifyModeForRecordedDevices();
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x00), 1u);
  EXPECT_EQ(FeaturesTo("m1", 0x09, 0x00), 1u);
  EXPECT_FALSE(m_Sim->InNotificationMode("kb1"));
}

TEST_F(DeviceDiscoveryTest, ADevicePluggedInAgainIsANewDevice) {
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Discovery->DiscoverDevices();
  const std::string before = LowercasePath(VendorPath("kb1"));
  m_Sim->Unplug("kb1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, 30s));
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Discovery->DiscoverDevices();
  const std::string after = LowercasePath(VendorPath("kb1"));

  EXPECT_NE(before, after);
  EXPECT_EQ(m_Discovery->ModeDevices(), (std::vector<std::string>{before, after}));
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 2u);
  EXPECT_EQ(LiveThreads(), 1u);
  EXPECT_TRUE(m_Sim->InNotificationMode("kb1"));
}

// An ID7M monitor that ends takes the permission of every other one: they
// end at their next report. A pass (as well as the end notice, below) gives
// those interfaces one fresh monitor each, without a second command or
// entry.
TEST_F(DeviceDiscoveryTest, MonitorsThatLostTheirPermissionAreReplacedNotDoubled) {
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(SimMouse("m1"));
  m_Discovery->DiscoverDevices();
  WaitForReaders("kb1", 1);
  WaitForReaders("m1", 1);
  m_Sim->Unplug("m1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(1, 30s));
  ASSERT_EQ(m_Slots.m_KeyboardMonitor.load(), nullptr);

  m_Sim->Plug(SimForeign("other"));
  m_Discovery->DiscoverDevices();
  EXPECT_EQ(LiveThreads(), 1u);
  EXPECT_NE(m_Slots.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(m_Discovery->ModeDevices().size(), 2u);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);

  WaitForReaders("kb1", 1);
  m_Poster.Take();  // the monitors' end notices
  m_Sim->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 2));
  ASSERT_TRUE(PumpUntil([&] { return !m_Window.shown.empty(); }));
  std::this_thread::sleep_for(50ms);
  Pump();
  EXPECT_EQ(m_Window.shown, std::vector<std::string>{"LT 2"});
}

// A device that never answers costs one request: all its interfaces are
// given up until it is unplugged. A refusal is an answer, and the device's
// other interfaces are still asked.
TEST_F(DeviceDiscoveryTest, ASilentDeviceIsAskedOncePerPlugARefusingOneOnEveryInterface) {
  SimDeviceSpec silent = SimKeyboard("silent");
  for (SimCollection& c : silent.collections) {
    c.usagePage = 0xFF00;
    c.usage = 0x01;
    c.featureReportLength = 64;
    c.answersFeatures = true;
  }
  m_Sim->Plug(silent);
  m_Sim->InjectFault("silent", SimFault::NoFeatureAnswer);
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Discovery->DiscoverDevices();
  EXPECT_EQ(m_Sim->FeatureLog("silent").size(), 1u);
  // The other device is found all the same.
  EXPECT_EQ(m_Discovery->ModeDevices(),
            (std::vector<std::string>{LowercasePath(VendorPath("kb1"))}));

  // Later passes leave it alone while it stays plugged in.
  m_Discovery->DiscoverDevices();
  EXPECT_EQ(m_Sim->FeatureLog("silent").size(), 1u);

  // Plugged in again, it is a new device and is asked again.
  m_Sim->Unplug("silent");
  Pump();
  m_Sim->Plug(silent);
  m_Sim->InjectFault("silent", SimFault::RefuseFeatures);
  m_Sim->ClearFeatureLog();
  m_Discovery->DiscoverDevices();
  // Refused everywhere: model and flash check on each of its four
  // interfaces send their first request.
  EXPECT_EQ(m_Sim->FeatureLog("silent").size(), 8u);
}

// One arrival message comes per collection, each with its own test of the
// interface; a device that does not answer must not cost each of them the
// kernel's timeout, nor the passes that supported devices start meanwhile.
TEST_F(DeviceDiscoveryTest, ASilentDeviceCostsOneTimeoutPerPlugHoweverManyCollections) {
  for (const size_t collections : {1u, 3u, 12u}) {
    SCOPED_TRACE(std::to_string(collections) + " collections");
    SimDeviceSpec silent = SimKeyboard("silent");
    silent.collections.assign(collections, *SimVendorCollection(silent));
    for (int plug = 1; plug <= 2; ++plug) {
      m_Sim->ClearFeatureLog();
      ASSERT_EQ(m_Sim->Plug(silent).size(), collections);
      m_Sim->InjectFault("silent", SimFault::NoFeatureAnswer);
      Pump();                       // one device-change message per collection
      m_Sim->Plug(SimMouse("m1"));  // a supported arrival: a pass of its own
      Pump();
      EXPECT_EQ(m_Sim->FeatureLog("silent").size(), 1u) << "plug " << plug;
      EXPECT_EQ(m_Discovery->ModeDevices().size(), static_cast<size_t>(plug)) << "plug " << plug;

      m_Sim->Unplug("silent");
      m_Sim->Unplug("m1");
      Pump();
      EXPECT_EQ(m_Discovery->SilentDevices().Count(), 0u) << "forgotten at its removal";
    }
    m_Discovery.reset();
    m_Discovery = std::make_unique<DeviceDiscovery>(m_Slots, m_Poster, m_ModelTable);
  }
}

TEST_F(DeviceDiscoveryTest, ARequestedStopEndsThePassBeforeItsNextRequest) {
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(SimMouse("m1"));
  bool stop = false;
  m_Discovery->SetStopRequest([&] { return stop; });
  m_Sim->SetFeatureObserver([&](const SimFeatureRecord&) { stop = true; });
  m_Discovery->DiscoverDevices();
  m_Sim->SetFeatureObserver({});
  EXPECT_EQ(m_Sim->FeatureLog().size(), 1u);
  EXPECT_TRUE(m_Discovery->ModeDevices().empty());
  EXPECT_EQ(LiveThreads(), 0u);
}

// Close switches each entry back; a silent device costs it one timeout, not
// one per entry, and the devices after it are still switched back.
TEST_F(DeviceDiscoveryTest, CloseAsksASilentDeviceOnce) {
  SimDeviceSpec twoVendorCollections = SimKeyboard("kb1");
  twoVendorCollections.collections.push_back(*SimVendorCollection(twoVendorCollections));
  m_Sim->Plug(twoVendorCollections);
  m_Sim->Plug(SimMouse("m1"));
  m_Discovery->DiscoverDevices();
  ASSERT_EQ(m_Discovery->ModeDevices().size(), 3u);

  m_Sim->InjectFault("kb1", SimFault::NoFeatureAnswer);
  m_Sim->ClearFeatureLog();
  m_Discovery->LeaveNotifyModeForRecordedDevices();
  EXPECT_EQ(m_Sim->FeatureLog("kb1").size(), 1u);
  EXPECT_EQ(FeaturesTo("m1", 0x09, 0x00), 1u);
  EXPECT_FALSE(m_Sim->InNotificationMode("m1"));
}

// An ID7M keyboard that also answers as an ES2862-family interface: the
// ES2862 vendor id and usage page, the ID7M strings and model answer.
SimDeviceSpec BothFamiliesKeyboard(const std::string& name) {
  SimDeviceSpec spec = SimKeyboard(name);
  spec.vendorId = kSimEs2862VendorId;
  SimCollection& vendor = *SimVendorCollection(spec);
  vendor.usagePage = 0xFF01;
  vendor.reportIds = {kSimId7mReportId, kSimEs2862ReportId};
  return spec;
}

// Each family watches the interface on its own, whichever pass first
// qualified it for either.
TEST_F(DeviceDiscoveryTest, AnInterfaceOfBothFamiliesGetsAMonitorOfEach) {
  for (const bool refusedFirst : {false, true}) {
    SCOPED_TRACE(refusedFirst ? "first pass refused" : "first pass qualifies");
    m_Sim->Plug(BothFamiliesKeyboard("both"));
    if (refusedFirst) m_Sim->InjectFault("both", SimFault::RefuseFeatures);
    m_Discovery->DiscoverDevices();
    m_Sim->ClearFaults("both");
    m_Discovery->DiscoverDevices();
    m_Discovery->DiscoverDevices();

    EXPECT_EQ(FeaturesTo("both", 0x09, 0x01), 1u);
    EXPECT_EQ(m_Discovery->ModeDevices().size(), 1u);
    EXPECT_EQ(m_Discovery->Es2862Devices().size(), 1u);
    EXPECT_EQ(LiveMonitorThreads(), 2);
    WaitForReaders("both", 2);
    ExpectShown("both", LtKeyReport(SimDeviceKind::Keyboard, 3), "LT 3");
    ExpectShown("both", CpiReport(SimDeviceKind::Es2862, 4), "CPI 4");

    m_Discovery.reset();
    m_Sim->Unplug("both");
    m_Sim->ClearFeatureLog();
    m_Poster.Take();
    m_Window.shown.clear();
    m_Discovery = std::make_unique<DeviceDiscovery>(m_Slots, m_Poster, m_ModelTable);
  }
}

// A monitor that ends (its device was unplugged) empties slots that other
// monitors still run by. Those are replaced at once, so the devices left
// show every change of theirs, without a second command.
TEST_F(DeviceDiscoveryTest, TheDevicesLeftKeepShowingTheirChangesAfterAnUnplug) {
  struct Device {
    std::string name;
    SimDeviceKind kind;
  };
  const std::vector<Device> devices = {{"kb1", SimDeviceKind::Keyboard},
                                       {"kb2", SimDeviceKind::Keyboard},
                                       {"m1", SimDeviceKind::Mouse},
                                       {"es1", SimDeviceKind::Es2862},
                                       {"es2", SimDeviceKind::Es2862}};
  for (const char* unplugged : {"m1", "kb2", "es1", "kb1"}) {
    SCOPED_TRACE(std::string("unplugging ") + unplugged);
    m_Sim->Plug(SimKeyboard("kb1"));
    m_Sim->Plug(SimKeyboard("kb2"));
    m_Sim->Plug(SimMouse("m1"));
    m_Sim->Plug(SimEs2862("es1"));
    m_Sim->Plug(SimEs2862("es2"));
    m_Discovery->DiscoverDevices();
    Pump();
    for (const Device& device : devices) WaitForReaders(device.name, 1);

    m_Sim->Unplug(unplugged);
    ASSERT_TRUE(PumpUntil([&] { return m_Window.monitorEnds > 0; }));
    m_Sim->ClearFeatureLog();
    uint8_t value = 1;
    for (int round = 0; round < 2; ++round) {
      for (const Device& device : devices) {
        if (device.name == unplugged) continue;
        WaitForReaders(device.name, 1);
        const std::string text = std::to_string(value);
        if (device.kind == SimDeviceKind::Keyboard) {
          ExpectShown(device.name, LtKeyReport(device.kind, value), "LT " + text);
        } else {
          ExpectShown(device.name, CpiReport(device.kind, value), "CPI " + text);
        }
        value = static_cast<uint8_t>(value % 7 + 1);
      }
    }
    EXPECT_TRUE(m_Sim->FeatureLog().empty()) << "no command, no query";
    EXPECT_EQ(m_Discovery->ModeDevices().size(), 3u);

    m_Discovery.reset();
    for (const Device& device : devices) m_Sim->Unplug(device.name);
    m_Poster.Take();
    m_Window.shown.clear();
    m_Window.monitorEnds = 0;
    m_Discovery = std::make_unique<DeviceDiscovery>(m_Slots, m_Poster, m_ModelTable);
  }
}

TEST_F(DeviceDiscoveryTest, ThirtyKeyboardsLeftKeepShowingTheirChanges) {
  constexpr int kKeyboards = 30;
  for (int n = 1; n <= kKeyboards; ++n) m_Sim->Plug(SimKeyboard("kb" + std::to_string(n)));
  m_Discovery->DiscoverDevices();
  Pump();  // their arrivals: nothing more to do
  ASSERT_EQ(m_Discovery->ModeDevices().size(), static_cast<size_t>(kKeyboards));
  for (int n = 1; n <= kKeyboards; ++n) WaitForReaders("kb" + std::to_string(n), 1);

  m_Sim->Unplug("kb7");
  ASSERT_TRUE(PumpUntil([&] { return m_Window.monitorEnds > 0; }));
  for (int n = 1; n <= kKeyboards; ++n) {
    if (n == 7) continue;
    const std::string name = "kb" + std::to_string(n);
    WaitForReaders(name, 1);
    const auto state = static_cast<uint8_t>(n % 7 + 1);
    ExpectShown(name, LtKeyReport(SimDeviceKind::Keyboard, state), "LT " + std::to_string(state));
  }
  EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(kKeyboards - 1, 20s));
  EXPECT_EQ(LiveMonitorThreads(), kKeyboards - 1);
}

// A monitor that fails at once (a vendor collection without input reports)
// empties the slots at every start; it is not restarted by its own end, and
// the keyboard beside it is replaced once and keeps showing its changes.
TEST_F(DeviceDiscoveryTest, AMonitorThatFailsAtOnceIsNotRestartedByItsOwnEnd) {
  SimDeviceSpec mute = SimKeyboard("mute");
  SimVendorCollection(mute)->inputReportLength = 0;
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(mute);
  ASSERT_TRUE(PumpUntil([&] { return m_Window.monitorEnds >= 1; }));  // arrivals run passes
  // A while of the main window's loop: the ends die out (a restart loop
  // would count hundreds).
  const auto until = std::chrono::steady_clock::now() + 300ms;
  PumpUntil([&] { return std::chrono::steady_clock::now() > until; });
  EXPECT_LE(m_Window.monitorEnds, 10);
  EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(1, 20s));
  WaitForReaders("kb1", 1);
  ExpectShown("kb1", LtKeyReport(SimDeviceKind::Keyboard, 5), "LT 5");
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);
}

// After Close no monitor is replaced any more.
TEST_F(DeviceDiscoveryTest, NothingIsReplacedAfterClose) {
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(SimMouse("m1"));
  m_Discovery->DiscoverDevices();
  WaitForReaders("kb1", 1);
  WaitForReaders("m1", 1);
  m_Window.closed = true;
  m_Discovery->LeaveNotifyModeForRecordedDevices();
  m_Discovery->ReleaseLists();
  m_Sim->Unplug("m1");
  ASSERT_TRUE(PumpUntil([&] { return m_Window.monitorEnds > 0; }));
  EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), nullptr);
  EXPECT_TRUE(m_Discovery->ModeDevices().empty());
}

TEST_F(DeviceDiscoveryTest, Es2862DevicesAreMonitoredWithoutAnyCommand) {
  WriteModelTable("");  // no ID7M model known: the ES2862 family needs none
  m_Sim->Plug(SimEs2862("es1"));
  m_Discovery->DiscoverDevices();

  EXPECT_EQ(m_Discovery->Es2862Devices(), std::vector<std::string>{VendorPath("es1")});
  EXPECT_TRUE(m_Discovery->ModeDevices().empty());
  EXPECT_NE(m_Slots.m_Es2862Monitor.load(), nullptr);
  EXPECT_TRUE(m_Sim->FeatureLog("es1").empty());

  WaitForReaders("es1", 1);
  m_Sim->SendInputReport("es1", CpiReport(SimDeviceKind::Es2862, 200));
  ASSERT_TRUE(m_Poster.WaitForCount(1));
  EXPECT_EQ(m_Poster.Messages()[0].msg, UM_CPI_LEVEL);
  EXPECT_EQ(m_Poster.Messages()[0].wParam, 200u);
}

TEST_F(DeviceDiscoveryTest, UnlistedOrSilentDevicesAreSkipped) {
  WriteModelTable("[Cafe]\nKeyboard=0x1A24\n");  // kb1's 0x1A20 is not listed; no Mouse key
  m_Sim->Plug(SimKeyboard("kb1"));
  m_Sim->Plug(SimMouse("m1"));
  m_Discovery->DiscoverDevices();
  EXPECT_TRUE(m_Discovery->ModeDevices().empty());
  EXPECT_EQ(m_Slots.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 0u);

  fs::remove(m_ModelTable);
  m_Discovery->DiscoverDevices();
  EXPECT_TRUE(m_Discovery->ModeDevices().empty());
}

TEST_F(DeviceDiscoveryTest, ModelTableRules) {
  struct Case {
    const char* table;
    uint16_t model;
    const char16_t* kind;
  } cases[] = {
      {"[Cafe]\nKeyboard=0x1A20\nMouse=0x2B30\n", 0x1A20, u"Keyboard"},
      {"[Cafe]\nKeyboard=0x1A20\nMouse=0x2B30\n", 0x2B30, u"Mouse"},
      {"[Cafe]\nKeyboard=0x1A20\nMouse=0x1A20\n", 0x1A20, u"Keyboard"},  // keyboard wins
      {"[Cafe]\nKeyboard=0x1111,,0x1A20\n", 0x1A20, u""},  // the empty item ends the list
      {"[Cafe]\nKeyboard=0x1111,,0x1A20\n", 0x1111, u"Keyboard"},
      {"[Cafe]\nKeyboard= 0x1111 , 0x1a20 \n", 0x1A20, u"Keyboard"},  // blanks, lower case
      {"[Cafe]\nKeyboard=1A20\n", 0x1A20, u""},  // four digits, no prefix: "20" is read
      {"[Cafe]\nKeyboard=1A20\n", 0x0020, u"Keyboard"},
      {"[Cafe]\nKeyboard=0x\n", 0x0001, u""},
      {"[CAFE]\nkeyboard=0x1A20\n", 0x1A20, u"Keyboard"},  // names without letter case
      {"[Cafe]\nMouse=\n", 0x2B30, u""},
      {"[Cafe]\n", 0x0000, u""},  // the default "0" matches nothing
      {"[Other]\nKeyboard=0x1A20\n", 0x1A20, u""},
  };
  for (const auto& c : cases) {
    WriteModelTable(c.table);
    EXPECT_EQ(m_Discovery->GetDeviceKind(c.model), c.kind) << c.table << " model " << c.model;
  }
  fs::remove(m_ModelTable);
  EXPECT_EQ(m_Discovery->GetDeviceKind(0x1A20), u"");
}

TEST_F(DeviceDiscoveryTest, WhichArrivalsCallForDiscovery) {
  m_Sim->Plug(SimKeyboard("kb1"));
  auto foreign = SimForeign("other");
  m_Sim->Plug(foreign);
  // An ES2862-family device qualifies by vendor and page alone.
  m_Sim->Plug(SimEs2862("es1"));

  struct Case {
    std::string path;
    bool identity;
    bool rediscover;
  } cases[] = {
      {VendorPath("kb1"), true, true},
      {m_Sim->PathsOf("kb1").front(), true, false},  // its boot keyboard collection
      {m_Sim->PathsOf("other").front(), true, false},
      {VendorPath("es1"), true, true},
      {m_Sim->PathsOf("es1").front(), true, false},  // page 0x01, not 0xFF01
      {"/dev/hidraw-sim/999", false, false},
  };
  for (const auto& c : cases) {
    bool identity = !c.identity;
    EXPECT_EQ(m_Discovery->ArrivalCallsForDiscovery(c.path, &identity), c.rediscover) << c.path;
    EXPECT_EQ(identity, c.identity) << c.path;
  }
}

// Simulated devices whose monitor thread, once its read is cancelled, is
// not scheduled again for a while, as on a loaded machine.
class SlowToWakeBackend : public HidBackend {
 public:
  SlowToWakeBackend(std::shared_ptr<SimBackend> sim, std::chrono::milliseconds delay)
      : m_Sim(std::move(sim)), m_Delay(delay) {}

  // Devices opened through this backend and closed again: a monitor closes
  // its device before it ends.
  int ClosedDevices() const { return *m_Closed; }

  std::vector<std::string> EnumeratePaths() override { return m_Sim->EnumeratePaths(); }
  std::optional<HidInterfaceInfo> QueryInterface(const std::string& path) override {
    return m_Sim->QueryInterface(path);
  }
  std::optional<std::u16string> ReadIndexedString(const std::string& path, int index) override {
    return m_Sim->ReadIndexedString(path, index);
  }
  std::unique_ptr<HidOpenDevice> Open(const std::string& path) override {
    std::unique_ptr<HidOpenDevice> device = m_Sim->Open(path);
    if (!device) return nullptr;
    return std::make_unique<SlowDevice>(std::move(device), m_Delay, m_Closed);
  }
  std::string DeviceKeyOf(const std::string& path) const override {
    return m_Sim->DeviceKeyOf(path);
  }
  WaitHandle ChangeHandle() override { return m_Sim->ChangeHandle(); }
  std::vector<HidDeviceChange> TakeChanges() override { return m_Sim->TakeChanges(); }

 private:
  class SlowDevice : public HidOpenDevice {
   public:
    SlowDevice(std::unique_ptr<HidOpenDevice> inner, std::chrono::milliseconds delay,
               std::shared_ptr<std::atomic<int>> closed)
        : m_Inner(std::move(inner)), m_Delay(delay), m_Closed(std::move(closed)) {}
    ~SlowDevice() override { ++*m_Closed; }
    std::optional<HidInterfaceInfo> Capabilities() const override {
      return m_Inner->Capabilities();
    }
    FeatureTransfer SetFeature(const uint8_t* buffer, size_t length) override {
      return m_Inner->SetFeature(buffer, length);
    }
    FeatureTransfer GetFeature(uint8_t* buffer, size_t length) override {
      return m_Inner->GetFeature(buffer, length);
    }
    ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) override {
      const ReadStatus status = m_Inner->ReadInputReport(buffer, capacity, received);
      if (status == ReadStatus::Cancelled) std::this_thread::sleep_for(m_Delay);
      return status;
    }
    void Cancel() override { m_Inner->Cancel(); }

   private:
    std::unique_ptr<HidOpenDevice> m_Inner;
    std::chrono::milliseconds m_Delay;
    std::shared_ptr<std::atomic<int>> m_Closed;
  };

  std::shared_ptr<SimBackend> m_Sim;
  std::chrono::milliseconds m_Delay;
  std::shared_ptr<std::atomic<int>> m_Closed = std::make_shared<std::atomic<int>>(0);
};

// The slots and the window go right after the discovery object, as in the
// main window's destructor: no monitor may touch them afterwards, however
// late its thread runs again.
TEST(DeviceDiscoveryEnd, NoMonitorOutlivesTheDiscovery) {
  auto sim = std::make_shared<SimBackend>();
  const auto slow = std::make_shared<SlowToWakeBackend>(sim, 3s);
  HidSetBackend(slow);
  TempDir temp{"corvane-discovery-end"};
  const std::string modelTable = temp.Folder() + "/Model.txt";
  std::ofstream(modelTable) << "[Cafe]\nKeyboard=0x1A20\nMouse=0x2B30\n";
  sim->Plug(SimKeyboard("kb1"));
  sim->Plug(SimMouse("m1"));
  sim->Plug(SimEs2862("es1"));

  auto slots = std::make_unique<MonitorSlots>();
  auto window = std::make_unique<RecordingPoster>();
  auto discovery = std::make_unique<DeviceDiscovery>(*slots, *window, modelTable);
  discovery->DiscoverDevices();
  ASSERT_EQ(LiveMonitorThreads(), 3);
  for (const char* name : {"kb1", "m1", "es1"}) ASSERT_TRUE(sim->WaitForReaders(name, 1, 20s));

  const int closedBefore = slow->ClosedDevices();  // the pass's own exchanges
  discovery.reset();
  // Every monitor has closed its device and ended; the thread itself may
  // still be on its way out, touching nothing of the discovery's.
  EXPECT_EQ(slow->ClosedDevices() - closedBefore, 3);
  window.reset();
  slots.reset();
  // A monitor still running would touch them now (AddressSanitizer reports
  // it); let it come to its end before the test does.
  EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(0, 20s));
  HidSetBackend(nullptr);
}

}  // namespace
