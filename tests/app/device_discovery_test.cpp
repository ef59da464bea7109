#include "app/device_discovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

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

  std::shared_ptr<SimBackend> m_Sim = std::make_shared<SimBackend>();
  TempDir m_Temp{"corvane-discovery"};
  const std::string m_Root = m_Temp.Folder();
  std::string m_ModelTable;
  MonitorSlots m_Slots;
  RecordingPoster m_Poster;
  std::unique_ptr<DeviceDiscovery> m_Discovery;
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
// end at their next report. The next pass gives those interfaces one fresh
// monitor each, without a second command or entry.
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
  m_Sim->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 2));
  ASSERT_TRUE(m_Poster.WaitForCount(1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(m_Poster.Messages().size(), 1u);
}

// A device that never answers costs a pass one request: all its interfaces
// are given up for the rest of the pass. A refusal is an answer, and the
// device's other interfaces are still asked.
TEST_F(DeviceDiscoveryTest, ASilentDeviceIsAskedOncePerPassARefusingOneOnEveryInterface) {
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

  // Each pass asks it once again.
  m_Discovery->DiscoverDevices();
  EXPECT_EQ(m_Sim->FeatureLog("silent").size(), 2u);

  m_Sim->ClearFaults("silent");
  m_Sim->InjectFault("silent", SimFault::RefuseFeatures);
  m_Sim->ClearFeatureLog();
  m_Discovery->DiscoverDevices();
  // Refused everywhere: model and flash check on each of its four
  // interfaces send their first request.
  EXPECT_EQ(m_Sim->FeatureLog("silent").size(), 8u);
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

}  // namespace
