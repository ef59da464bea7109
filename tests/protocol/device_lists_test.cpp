// Which simulated interfaces qualify, in which order the candidate list
// holds them, and that rejected interfaces see no feature traffic.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "protocol/DeviceLists.h"
#include "protocol/Hid_flash_m0.h"
#include "protocol/Hid_pellam.h"
#include "tests/protocol/sim_device_fixture.h"

namespace {

struct QualificationCase {
  const char* name;
  std::function<SimDeviceSpec()> device;
  size_t collection;  // which of the device's interfaces is checked
  bool modelInfo;     // IsModelInfoDevice
  bool flashInfo;     // IsFlashInfoDevice
  bool featureTraffic;
};

void PrintTo(const QualificationCase& c, std::ostream* os) { *os << c.name; }

SimDeviceSpec WithVendorPage(SimDeviceSpec spec, uint16_t page) {
  SimVendorCollection(spec)->usagePage = page;
  return spec;
}

class QualificationTest : public SimDeviceTest,
                          public ::testing::WithParamInterface<QualificationCase> {};

TEST_P(QualificationTest, DecidesAndTouchesTheDeviceOnlyWhenNeeded) {
  const QualificationCase& c = GetParam();
  const SimDeviceSpec spec = c.device();
  const auto paths = m_Sim->Plug(spec);
  ASSERT_LT(c.collection, paths.size());
  const std::string& path = paths[c.collection];

  EXPECT_EQ(IsModelInfoDevice(path), c.modelInfo);
  EXPECT_EQ(IsFlashInfoDevice(path), c.flashInfo);
  EXPECT_EQ(!m_Sim->FeatureLog(spec.name).empty(), c.featureTraffic);
}

// Keyboard interfaces: 0 boot keyboard, 1 consumer control, 2 system
// control, 3 vendor. Mouse: 0 boot mouse, 1 vendor.
INSTANTIATE_TEST_SUITE_P(
    Interfaces, QualificationTest,
    ::testing::Values(
        // Strings that differ from the expected ones only in letter case.
        QualificationCase{"KeyboardVendorCollection", [] { return SimKeyboard("kb1"); }, 3, true,
                          false, true},
        QualificationCase{"MouseVendorCollection", [] { return SimMouse("m1"); }, 1, true, false,
                          true},
        QualificationCase{"QualificationByte0x20",
                          [] {
                            auto s = SimKeyboard("kb1");
                            s.qualificationByte = 0x20;
                            return s;
                          },
                          3, true, false, true},
        QualificationCase{"QualificationByte0x21",
                          [] {
                            auto s = SimKeyboard("kb1");
                            s.qualificationByte = 0x21;
                            return s;
                          },
                          3, false, false, true},
        QualificationCase{"ExcludedPage0xFFF3",
                          [] { return WithVendorPage(SimKeyboard("kb1"), 0xFFF3); }, 3, false,
                          false, false},
        QualificationCase{"ExcludedPage0xFFA7",
                          [] { return WithVendorPage(SimKeyboard("kb1"), 0xFFA7); }, 3, false,
                          false, false},
        QualificationCase{"BootKeyboard", [] { return SimKeyboard("kb1"); }, 0, false, false,
                          false},
        QualificationCase{"ConsumerControl", [] { return SimKeyboard("kb1"); }, 1, false, false,
                          false},
        QualificationCase{"SystemControl", [] { return SimKeyboard("kb1"); }, 2, false, false,
                          false},
        QualificationCase{"BootMouse", [] { return SimMouse("m1"); }, 0, false, false, false},
        QualificationCase{"FlashBootKeyboard", [] { return SimFlashKeyboard("fk1"); }, 0, false,
                          false, false},
        // "usb device  " fails the model check on its string and is decided
        // by the flash word.
        QualificationCase{"FlashWord0x01FFFFFF", [] { return SimFlashKeyboard("fk1"); }, 3, false,
                          true, true},
        QualificationCase{"FlashWord0x02000000",
                          [] {
                            auto s = SimFlashKeyboard("fk1");
                            s.flashWord = 0x02000000;
                            return s;
                          },
                          3, false, false, true},
        // The flash check has no usage-page exclusion.
        QualificationCase{"FlashCheckIgnoresPageExclusion",
                          [] { return WithVendorPage(SimFlashKeyboard("fk1"), 0xFFF3); }, 3, false,
                          true, true},
        QualificationCase{"ForeignDevice", [] { return SimForeign("f1"); }, 0, false, false, false},
        QualificationCase{"Es2862Vendor", [] { return SimEs2862("es1"); }, 1, false, false, false},
        QualificationCase{"UnreadableManufacturer",
                          [] {
                            auto s = SimKeyboard("kb1");
                            s.manufacturer.reset();
                            return s;
                          },
                          3, false, false, false},
        QualificationCase{"UnreadableProduct",
                          [] {
                            auto s = SimKeyboard("kb1");
                            s.product.reset();
                            return s;
                          },
                          3, false, false, false},
        QualificationCase{"ManufacturerWithoutTrailingBlank",
                          [] {
                            auto s = SimKeyboard("kb1");
                            s.manufacturer = u"Company";
                            return s;
                          },
                          3, false, false, false},
        QualificationCase{"SilentFirmware",
                          [] {
                            auto s = SimKeyboard("kb1");
                            s.family = SimFamily::Foreign;
                            return s;
                          },
                          3, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

class DeviceListsTest : public SimDeviceTest {};

TEST_F(DeviceListsTest, DeviceStringsAreLowercasedAsciiOnly) {
  SimDeviceSpec spec = SimKeyboard("kb1");
  spec.manufacturer = u"COMPANY \u00C4Z";
  const std::string path = PlugAndGetVendorPath(spec);
  EXPECT_EQ(ReadManufacturerString(path), u"company \u00C4z");
  EXPECT_EQ(ReadProductString(path), u"usb device ");
  EXPECT_EQ(ReadManufacturerString("/dev/hidraw-sim/999"), u"");
}

TEST_F(DeviceListsTest, InterfaceThatVanishedDoesNotQualify) {
  const std::string path = PlugAndGetVendorPath(SimKeyboard("kb1"));
  ASSERT_TRUE(m_Sim->Unplug("kb1"));
  EXPECT_FALSE(IsModelInfoDevice(path));
  EXPECT_FALSE(IsFlashInfoDevice(path));
}

TEST_F(DeviceListsTest, ReadModelIdSplitsTheLittleEndianWord) {
  SimDeviceSpec spec = SimKeyboard("kb1");
  spec.modelWord = 0x2711;
  const std::string path = PlugAndGetVendorPath(spec);
  uint16_t lowBits = 0xFFFF;
  EXPECT_EQ(ReadModelId(path, &lowBits), 0x2710);
  EXPECT_EQ(lowBits, 1);
  EXPECT_EQ(ReadModelId(path), 0x2710);

  m_Sim->InjectFault("kb1", SimFault::NoFeatureAnswer);
  lowBits = 0xFFFF;
  EXPECT_EQ(ReadModelId(path, &lowBits), 0);
  EXPECT_EQ(lowBits, 0xFFFF);
}

TEST_F(DeviceListsTest, CandidateListAppendsModelDevicesThenFlashDevices) {
  // Plugged flash-first, so only the check order can put the model devices first.
  const std::string flashKeyboard = PlugAndGetVendorPath(SimFlashKeyboard("fk1"));
  m_Sim->Plug(SimForeign("f1"));
  const std::string keyboard = PlugAndGetVendorPath(SimKeyboard("kb1"));
  const std::string mouse = PlugAndGetVendorPath(SimMouse("m1"));
  m_Sim->Plug(SimEs2862("es1"));

  HidPathList list{"kept-1", "kept-2"};
  CollectNotifyDevices(list);
  const HidPathList expected{"kept-1", "kept-2", LowercasePath(keyboard), LowercasePath(mouse),
                             LowercasePath(flashKeyboard)};
  EXPECT_EQ(list, expected);

  HidPathList flashOnly{"kept"};
  CollectFlashInfoDevices(flashOnly);
  EXPECT_EQ(flashOnly, (HidPathList{"kept", LowercasePath(flashKeyboard)}));
}

TEST_F(DeviceListsTest, Es2862SelectionListsOnlyTheVendorCollection) {
  const std::string es = PlugAndGetVendorPath(SimEs2862("es1"));
  m_Sim->Plug(SimKeyboard("kb1"));
  SimDeviceSpec otherVendorSamePage = SimEs2862("es-other");
  otherVendorSamePage.vendorId = 0x1957;
  m_Sim->Plug(otherVendorSamePage);

  HidPathList list;
  EXPECT_EQ(HidCollectPathsIn(&list, kEs2862VendorIds, nullptr, kEs2862UsagePages, nullptr), 1);
  EXPECT_EQ(list, HidPathList{es});
}

}  // namespace

namespace {

// What reached the device, in order: "S1F" for a set with command 0x1F,
// "G" for a get.
std::vector<std::string> Traffic(const SimBackend& sim, const std::string& name) {
  std::vector<std::string> traffic;
  for (const SimFeatureRecord& r : sim.FeatureLog(name)) {
    if (r.kind == SimFeatureRecord::Kind::Get) {
      traffic.push_back("G");
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "S%02X", r.bytes.size() > 1 ? r.bytes[1] : 0);
      traffic.push_back(code);
    }
  }
  return traffic;
}

TEST_F(DeviceListsTest, EachCheckSendsItsQueriesInOrderAndRejectedCollectionsNone) {
  using Traffic_ = std::vector<std::string>;
  const std::string keyboard = PlugAndGetVendorPath(SimKeyboard("kb1"));
  const std::string flashKeyboard = PlugAndGetVendorPath(SimFlashKeyboard("fk1"));
  struct Case {
    const char* what;
    std::string device;
    std::string path;
    bool (*check)(const std::string&);
    bool qualifies;
    Traffic_ traffic;
  } cases[] = {
      {"model check", "kb1", keyboard, IsModelInfoDevice, true, {"S1F", "G", "S1F", "G"}},
      {"flash check", "fk1", flashKeyboard, IsFlashInfoDevice, true, {"S1F", "G", "S2D", "G"}},
      {"boot keyboard collection",
       "kb1",
       m_Sim->PathsOf("kb1").front(),
       IsModelInfoDevice,
       false,
       {}},
      {"flash keyboard's boot collection",
       "fk1",
       m_Sim->PathsOf("fk1").front(),
       IsFlashInfoDevice,
       false,
       {}},
      {"flash keyboard by the model check", "fk1", flashKeyboard, IsModelInfoDevice, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_Sim->ClearFeatureLog();
    EXPECT_EQ(c.check(c.path), c.qualifies);
    EXPECT_EQ(Traffic(*m_Sim, c.device), c.traffic);
  }
}

// Past the bytes a device sends, the frame still holds the request's
// zeros; they must never be read as its answer.
TEST_F(DeviceListsTest, AnAnswerThatStopsShortOfThePayloadFailsTheQuery) {
  struct Case {
    size_t answerBytes;  // 0: the whole report
    bool modelRead;      // payload up to byte 17
    bool flashRead;      // payload up to byte 31
  } cases[] = {
      {1, false, false}, {8, false, false}, {12, false, false}, {17, false, false},
      {18, true, false}, {31, true, false}, {32, true, true},   {0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.answerBytes << " bytes");
    SetUp();
    SimDeviceSpec spec = SimFlashKeyboard("kb1");
    spec.featureAnswerBytes = c.answerBytes;
    const std::string path = PlugAndGetVendorPath(spec);
    ModelInfo model{};
    EXPECT_EQ(ReadModelInfo(path, model), c.modelRead);
    EXPECT_EQ(ReadModelId(path) != 0, c.modelRead);
    uint32_t word = 0;
    EXPECT_EQ(ReadFlashInfoWord(path, word), c.flashRead);
    EXPECT_EQ(IsFlashInfoDevice(path), c.flashRead);
    spec.product = u"usb device ";
    spec.name = "kb2";
    EXPECT_EQ(IsModelInfoDevice(PlugAndGetVendorPath(spec)), c.modelRead);
  }
}

}  // namespace
