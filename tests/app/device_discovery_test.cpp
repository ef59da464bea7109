#include "app/device_discovery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "protocol/DeviceLists.h"

#include "app/simulator/scenario.h"
#include "hid/IO_HID.h"
#include "monitors/monitor_thread.h"
#include "platform/sim/sim_backend.h"
#include "tests/support/recording_poster.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class DeviceDiscoveryTest : public testing::Test {
 protected:
  void SetUp() override {
    HidSetBackend(sim_);
    modelTable_ = root_ + "/Model.txt";
    WriteModelTable("[Cafe]\nKeyboard=0x1A20,0x1A24\nMouse=0x2B30\n");
    discovery_ = std::make_unique<DeviceDiscovery>(slots_, poster_, modelTable_);
  }
  void TearDown() override {
    discovery_.reset();  // stops the monitors it started
    EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(0, 5s));
    HidSetBackend(nullptr);
  }
  void WriteModelTable(const std::string& content) { std::ofstream(modelTable_) << content; }

  std::string VendorPath(const std::string& name) {
    for (const std::string& path : sim_->PathsOf(name)) {
      const auto info = sim_->QueryInterface(path);
      if (info && info->usagePage >= 0xFF00) return path;
    }
    return {};
  }
  size_t FeaturesTo(const std::string& name, uint8_t code, uint8_t byte8) {
    const auto log = sim_->FeatureLog(name);
    return std::count_if(log.begin(), log.end(), [&](const SimFeatureRecord& r) {
      return r.kind == SimFeatureRecord::Kind::Set && r.bytes.size() > 8 && r.bytes[1] == code &&
             r.bytes[8] == byte8;
    });
  }
  void WaitForReaders(const std::string& name, size_t readers) {
    ASSERT_TRUE(sim_->WaitForReaders(name, readers, 5s)) << name;
  }

  std::shared_ptr<SimBackend> sim_ = std::make_shared<SimBackend>();
  TempDir m_Temp{"corvane-discovery"};
  const std::string root_ = m_Temp.Folder();
  std::string modelTable_;
  MonitorSlots slots_;
  RecordingPoster poster_;
  std::unique_ptr<DeviceDiscovery> discovery_;
};

TEST_F(DeviceDiscoveryTest, ListedKeyboardGetsOneMonitorAndEntersNotificationMode) {
  sim_->Plug(SimKeyboard("kb1"));
  sim_->Plug(SimForeign("other"));
  discovery_->DiscoverDevices();

  EXPECT_EQ(discovery_->ModeDevices(), std::vector<std::string>{LowercasePath(VendorPath("kb1"))});
  EXPECT_NE(slots_.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(slots_.m_MouseMonitor.load(), nullptr);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);
  EXPECT_TRUE(sim_->InNotificationMode("kb1"));
  EXPECT_TRUE(sim_->FeatureLog("other").empty());

  // Its reports now reach the main window.
  WaitForReaders("kb1", 1);
  sim_->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 3));
  ASSERT_TRUE(poster_.WaitForCount(1));
  EXPECT_EQ(poster_.Messages()[0].msg, UM_LT_KEY);
  EXPECT_EQ(poster_.Messages()[0].wParam, 3u);
}

size_t LiveThreads() { return static_cast<size_t>(LiveMonitorThreads()); }

TEST_F(DeviceDiscoveryTest, APassLeavesInterfacesThatAreWatchedAlone) {
  sim_->Plug(SimKeyboard("kb1"));
  sim_->Plug(SimMouse("m1"));
  sim_->Plug(SimEs2862("es1"));
  discovery_->DiscoverDevices();
  const std::string kb = LowercasePath(VendorPath("kb1"));
  const std::string mouse = LowercasePath(VendorPath("m1"));
  ASSERT_EQ(discovery_->ModeDevices(), (std::vector<std::string>{kb, mouse}));

  // A third device comes and goes many times; every arrival runs a pass.
  for (int round = 0; round < 20; ++round) {
    sim_->Plug(SimForeign("other"));
    discovery_->DiscoverDevices();
    sim_->Unplug("other");
    discovery_->DiscoverDevices();
  }
  EXPECT_EQ(discovery_->ModeDevices(), (std::vector<std::string>{kb, mouse}));
  EXPECT_EQ(discovery_->Es2862Devices().size(), 1u);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);
  EXPECT_EQ(LiveThreads(), 3u);

  // One key press is shown once.
  WaitForReaders("kb1", 1);
  sim_->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 3));
  ASSERT_TRUE(poster_.WaitForCount(1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(poster_.Messages().size(), 1u);

  discovery_->LeaveNotifyModeForRecordedDevices();
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x00), 1u);
  EXPECT_EQ(FeaturesTo("m1", 0x09, 0x00), 1u);
  EXPECT_FALSE(sim_->InNotificationMode("kb1"));
}

TEST_F(DeviceDiscoveryTest, ADevicePluggedInAgainIsANewDevice) {
  sim_->Plug(SimKeyboard("kb1"));
  discovery_->DiscoverDevices();
  const std::string before = LowercasePath(VendorPath("kb1"));
  sim_->Unplug("kb1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(0, 5s));
  sim_->Plug(SimKeyboard("kb1"));
  discovery_->DiscoverDevices();
  const std::string after = LowercasePath(VendorPath("kb1"));

  EXPECT_NE(before, after);
  EXPECT_EQ(discovery_->ModeDevices(), (std::vector<std::string>{before, after}));
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 2u);
  EXPECT_EQ(LiveThreads(), 1u);
  EXPECT_TRUE(sim_->InNotificationMode("kb1"));
}

// An ID7M monitor that ends takes the permission of every other one: they
// end at their next report. The next pass gives those interfaces one fresh
// monitor each, without a second command or entry.
TEST_F(DeviceDiscoveryTest, MonitorsThatLostTheirPermissionAreReplacedNotDoubled) {
  sim_->Plug(SimKeyboard("kb1"));
  sim_->Plug(SimMouse("m1"));
  discovery_->DiscoverDevices();
  WaitForReaders("kb1", 1);
  WaitForReaders("m1", 1);
  sim_->Unplug("m1");
  ASSERT_TRUE(WaitForLiveMonitorThreadsAtMost(1, 5s));
  ASSERT_EQ(slots_.m_KeyboardMonitor.load(), nullptr);

  sim_->Plug(SimForeign("other"));
  discovery_->DiscoverDevices();
  EXPECT_EQ(LiveThreads(), 1u);
  EXPECT_NE(slots_.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(discovery_->ModeDevices().size(), 2u);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 1u);

  WaitForReaders("kb1", 1);
  sim_->SendInputReport("kb1", LtKeyReport(SimDeviceKind::Keyboard, 2));
  ASSERT_TRUE(poster_.WaitForCount(1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(poster_.Messages().size(), 1u);
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
  sim_->Plug(silent);
  sim_->InjectFault("silent", SimFault::NoFeatureAnswer);
  sim_->Plug(SimKeyboard("kb1"));
  discovery_->DiscoverDevices();
  EXPECT_EQ(sim_->FeatureLog("silent").size(), 1u);
  // The other device is found all the same.
  EXPECT_EQ(discovery_->ModeDevices(), (std::vector<std::string>{LowercasePath(VendorPath("kb1"))}));

  // Each pass asks it once again.
  discovery_->DiscoverDevices();
  EXPECT_EQ(sim_->FeatureLog("silent").size(), 2u);

  sim_->ClearFaults("silent");
  sim_->InjectFault("silent", SimFault::RefuseFeatures);
  sim_->ClearFeatureLog();
  discovery_->DiscoverDevices();
  // Refused everywhere: model and flash check on each of its four
  // interfaces send their first request.
  EXPECT_EQ(sim_->FeatureLog("silent").size(), 8u);
}

TEST_F(DeviceDiscoveryTest, ARequestedStopEndsThePassBeforeItsNextRequest) {
  sim_->Plug(SimKeyboard("kb1"));
  sim_->Plug(SimMouse("m1"));
  bool stop = false;
  discovery_->SetStopRequest([&] { return stop; });
  sim_->SetFeatureObserver([&](const SimFeatureRecord&) { stop = true; });
  discovery_->DiscoverDevices();
  sim_->SetFeatureObserver({});
  EXPECT_EQ(sim_->FeatureLog().size(), 1u);
  EXPECT_TRUE(discovery_->ModeDevices().empty());
  EXPECT_EQ(LiveThreads(), 0u);
}

// Close switches each entry back; a silent device costs it one timeout, not
// one per entry, and the devices after it are still switched back.
TEST_F(DeviceDiscoveryTest, CloseAsksASilentDeviceOnce) {
  SimDeviceSpec twoVendorCollections = SimKeyboard("kb1");
  twoVendorCollections.collections.push_back(*SimVendorCollection(twoVendorCollections));
  sim_->Plug(twoVendorCollections);
  sim_->Plug(SimMouse("m1"));
  discovery_->DiscoverDevices();
  ASSERT_EQ(discovery_->ModeDevices().size(), 3u);

  sim_->InjectFault("kb1", SimFault::NoFeatureAnswer);
  sim_->ClearFeatureLog();
  discovery_->LeaveNotifyModeForRecordedDevices();
  EXPECT_EQ(sim_->FeatureLog("kb1").size(), 1u);
  EXPECT_EQ(FeaturesTo("m1", 0x09, 0x00), 1u);
  EXPECT_FALSE(sim_->InNotificationMode("m1"));
}

TEST_F(DeviceDiscoveryTest, Es2862DevicesAreMonitoredWithoutAnyCommand) {
  WriteModelTable("");  // no ID7M model known: the ES2862 family needs none
  sim_->Plug(SimEs2862("es1"));
  discovery_->DiscoverDevices();

  EXPECT_EQ(discovery_->Es2862Devices(), std::vector<std::string>{VendorPath("es1")});
  EXPECT_TRUE(discovery_->ModeDevices().empty());
  EXPECT_NE(slots_.m_Es2862Monitor.load(), nullptr);
  EXPECT_TRUE(sim_->FeatureLog("es1").empty());

  WaitForReaders("es1", 1);
  sim_->SendInputReport("es1", CpiReport(SimDeviceKind::Es2862, 200));
  ASSERT_TRUE(poster_.WaitForCount(1));
  EXPECT_EQ(poster_.Messages()[0].msg, UM_CPI_LEVEL);
  EXPECT_EQ(poster_.Messages()[0].wParam, 200u);
}

TEST_F(DeviceDiscoveryTest, UnlistedOrSilentDevicesAreSkipped) {
  WriteModelTable("[Cafe]\nKeyboard=0x1A24\n");  // kb1's 0x1A20 is not listed; no Mouse key
  sim_->Plug(SimKeyboard("kb1"));
  sim_->Plug(SimMouse("m1"));
  discovery_->DiscoverDevices();
  EXPECT_TRUE(discovery_->ModeDevices().empty());
  EXPECT_EQ(slots_.m_KeyboardMonitor.load(), nullptr);
  EXPECT_EQ(FeaturesTo("kb1", 0x09, 0x01), 0u);

  fs::remove(modelTable_);
  discovery_->DiscoverDevices();
  EXPECT_TRUE(discovery_->ModeDevices().empty());
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
    EXPECT_EQ(discovery_->GetDeviceKind(c.model), c.kind) << c.table << " model " << c.model;
  }
  fs::remove(modelTable_);
  EXPECT_EQ(discovery_->GetDeviceKind(0x1A20), u"");
}

TEST_F(DeviceDiscoveryTest, WhichArrivalsCallForDiscovery) {
  sim_->Plug(SimKeyboard("kb1"));
  auto foreign = SimForeign("other");
  sim_->Plug(foreign);
  // An ES2862-family device qualifies by vendor and page alone.
  sim_->Plug(SimEs2862("es1"));

  struct Case {
    std::string path;
    bool identity;
    bool rediscover;
  } cases[] = {
      {VendorPath("kb1"), true, true},
      {sim_->PathsOf("kb1").front(), true, false},  // its boot keyboard collection
      {sim_->PathsOf("other").front(), true, false},
      {VendorPath("es1"), true, true},
      {sim_->PathsOf("es1").front(), true, false},  // page 0x01, not 0xFF01
      {"/dev/hidraw-sim/999", false, false},
  };
  for (const auto& c : cases) {
    bool identity = !c.identity;
    EXPECT_EQ(discovery_->ArrivalCallsForDiscovery(c.path, &identity), c.rediscover) << c.path;
    EXPECT_EQ(identity, c.identity) << c.path;
  }
}

}  // namespace
