#include "platform/linux/hidraw_backend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <string>
#include <vector>

#include "tests/platform/device_log_fixture.h"
#include "tests/platform/fake_sysfs.h"
#include "tests/platform/sample_descriptors.h"
#include "tests/support/file_overrides.h"

namespace {

using Bytes = std::vector<uint8_t>;

class HidrawBackendOnFakeSysfs : public ::testing::Test {
 protected:
  HidrawBackendOnFakeNodes MakeBackend() {
    return HidrawBackendOnFakeNodes(sysfs.SysRoot(), sysfs.DevRoot(), false);
  }

  std::string Path(int node, const char* suffix = "") { return sysfs.InterfacePath(node, suffix); }

  FakeSysfs sysfs;
};

TEST_F(HidrawBackendOnFakeSysfs, ListsNodesInNumberOrderAndOnePathPerCollection) {
  sysfs.AddNode(10, kKeyboardDescriptor);
  sysfs.AddNode(2, kThreeCollectionsDescriptor);
  sysfs.AddNode(0, kKeyboardDescriptor);
  sysfs.AddNode(3, kKeyboardDescriptor);
  sysfs.RemoveDescriptor(3);       // cannot be described: not listed
  sysfs.AddNode(4, {0xA1, 0x01});  // no complete collection: not listed

  auto backend = MakeBackend();
  EXPECT_EQ(backend.EnumeratePaths(),
            (std::vector<std::string>{Path(0), Path(2, "&col01"), Path(2, "&col02"),
                                      Path(2, "&col03"), Path(10)}));
}

TEST_F(HidrawBackendOnFakeSysfs, NoNodesListNothing) {
  EXPECT_TRUE(MakeBackend().EnumeratePaths().empty());
  HidrawBackend missingRoot("/nonexistent-sysfs-root", "/dev", false);
  EXPECT_TRUE(missingRoot.EnumeratePaths().empty());
}

TEST_F(HidrawBackendOnFakeSysfs, IdentityComesFromSysfsAndTheCollection) {
  sysfs.AddNode(1, kThreeCollectionsDescriptor);
  auto backend = MakeBackend();

  struct Case {
    const char* suffix;
    uint16_t usagePage, usage, input, feature;
  } cases[] = {
      {"&col01", 0x0C, 0x01, 3, 0},
      {"&col02", 0x01, 0x80, 2, 0},
      {"&col03", 0xFF01, 0x01, 17, 65},
      {"&COL03", 0xFF01, 0x01, 17, 65},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.suffix);
    const auto info = backend.QueryInterface(Path(1, c.suffix));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->vendorId, 0x1A2B);
    EXPECT_EQ(info->productId, 0x3C4D);
    EXPECT_EQ(info->versionNumber, 0x0102);
    EXPECT_EQ(info->usagePage, c.usagePage);
    EXPECT_EQ(info->usage, c.usage);
    EXPECT_EQ(info->inputReportByteLength, c.input);
    EXPECT_EQ(info->featureReportByteLength, c.feature);
  }
}

TEST_F(HidrawBackendOnFakeSysfs, VendorAndProductAreTheLow16BitsOfHidId) {
  sysfs.AddNode(0, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, "0003:0000FFFF:00008001");
  const auto info = MakeBackend().QueryInterface(Path(0));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->vendorId, 0xFFFF);
  EXPECT_EQ(info->productId, 0x8001);
}

// A Bluetooth or I2C device may sit below a USB device (a Bluetooth adapter):
// that USB device's strings and version are not the HID device's own.
TEST_F(HidrawBackendOnFakeSysfs, OnlyHidDevicesOnTheUsbBusTakeTheUsbDevicesStrings) {
  struct Case {
    const char* hidId;
    bool usbStrings;
  } cases[] = {
      {"0003:00001A2B:00003C4D", true},
      {"0005:00001A2B:00003C4D", false},  // Bluetooth
      {"0018:00001A2B:00003C4D", false},  // I2C
      {"0006:00001A2B:00003C4D", false},  // virtual
  };
  int node = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hidId);
    sysfs.AddNode(node, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, c.hidId);
    auto backend = MakeBackend();
    const auto info = backend.QueryInterface(Path(node));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->versionNumber, c.usbStrings ? 0x0102 : 0);
    EXPECT_EQ(backend.ReadIndexedString(Path(node), 1).has_value(), c.usbStrings);
    EXPECT_EQ(backend.ReadIndexedString(Path(node), 2).has_value(), c.usbStrings);
    ++node;
  }
}

// hidraw numbers are handed out again: a path kept from an earlier
// connection must not reach the device that holds its node now.
TEST_F(HidrawBackendOnFakeSysfs, APathNamesNothingOnceItsNodeBelongsToAnotherDevice) {
  sysfs.AddNode(0, kThreeCollectionsDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D",
                true);
  auto backend = MakeBackend();
  const std::string kept = Path(0, "&col03");
  ASSERT_NE(backend.Open(kept), nullptr);
  // Callers keep paths lower-cased; the instance's hex digits then differ
  // in case only.
  std::string lowered = kept;
  for (size_t i = sysfs.DevRoot().size(); i < lowered.size(); ++i) {
    lowered[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowered[i])));
  }
  EXPECT_NE(backend.Open(lowered), nullptr);

  sysfs.RemoveNode(0);
  sysfs.AddNode(0, kThreeCollectionsDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D",
                true);
  for (const std::string& path : {kept, lowered}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(backend.QueryInterface(path).has_value());
    EXPECT_FALSE(backend.ReadIndexedString(path, 1).has_value());
    EXPECT_EQ(backend.Open(path), nullptr);
  }
  EXPECT_NE(backend.Open(Path(0, "&col03")), nullptr);
  EXPECT_NE(kept, Path(0, "&col03"));
}

// The node is checked again through the opened descriptor: it may change
// hands between the sysfs look-up and the open, and the report lengths that
// bound every transfer on it are its own.
class HidrawBackendWithOpenNode : public HidrawBackendOnFakeNodes {
 public:
  using HidrawBackendOnFakeNodes::HidrawBackendOnFakeNodes;
  std::optional<OpenNodeFacts> facts;

 protected:
  std::optional<OpenNodeFacts> DescribeOpenNode(int) const override { return facts; }
};

TEST_F(HidrawBackendOnFakeSysfs, OpenTrustsOnlyWhatTheOpenedNodeSays) {
  sysfs.AddNode(0, kThreeCollectionsDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D",
                true);
  // The vendor collection with a 200-byte feature report instead of 64.
  Bytes longerFeature = kThreeCollectionsDescriptor;
  longerFeature[longerFeature.size() - 10] = 0xC7;  // Report Count 64 → 199
  struct Case {
    const char* name;
    std::optional<std::string> instance;  // nullopt: not a hidraw node
    Bytes descriptor;
    bool opens;
    uint16_t featureLength;
  } cases[] = {
      {"same device", sysfs.Instance(0), kThreeCollectionsDescriptor, true, 65},
      {"taken over meanwhile", "0003:1A2B:3C4D.0077", kThreeCollectionsDescriptor, false, 0},
      {"not a hidraw node", std::nullopt, kThreeCollectionsDescriptor, false, 0},
      {"its own descriptor", sysfs.Instance(0), longerFeature, true, 200},
      {"collection missing there", sysfs.Instance(0), kKeyboardDescriptor, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HidrawBackendWithOpenNode backend(sysfs.SysRoot(), sysfs.DevRoot(), false);
    if (c.instance) backend.facts = {{*c.instance, c.descriptor}};
    const auto device = backend.Open(Path(0, "&col03"));
    ASSERT_EQ(device != nullptr, c.opens);
    if (device) {
      EXPECT_EQ(device->Capabilities()->featureReportByteLength, c.featureLength);
    }
  }
}

TEST_F(HidrawBackendOnFakeSysfs, WithoutUsbAncestorVersionIsZeroAndStringsFail) {
  sysfs.AddNode(0, kKeyboardDescriptor, std::nullopt);
  auto backend = MakeBackend();
  const auto info = backend.QueryInterface(Path(0));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->versionNumber, 0);
  EXPECT_FALSE(backend.ReadIndexedString(Path(0), 1).has_value());
  EXPECT_FALSE(backend.ReadIndexedString(Path(0), 2).has_value());
}

TEST_F(HidrawBackendOnFakeSysfs, PathsThatNameNoInterfaceGiveNothing) {
  sysfs.AddNode(0, kKeyboardDescriptor);
  sysfs.AddNode(1, kThreeCollectionsDescriptor);
  sysfs.AddNode(2, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, "garbage");
  auto backend = MakeBackend();
  const std::string invalid[] = {
      Path(5),            // no such node
      Path(1),            // several collections: only suffixed paths
      Path(1, "&col04"),  // beyond the last collection
      Path(1, "&col00"),
      Path(0, "&col01"),  // one collection: only the plain path
      Path(1, "&col"),
      Path(1, "&colx1"),
      Path(2),            // unreadable HID_ID
      sysfs.NodePath(0),  // no HID device instance
      sysfs.NodePath(0) + "#",
      sysfs.NodePath(0) + "#0003:1A2B:3C4D.0999",  // another connection's
      Path(0) + "#" + sysfs.Instance(0),
      sysfs.DevRoot() + "/hidraw",
      sysfs.DevRoot() + "/hidraw0/../hidraw0",
      sysfs.DevRoot() + "/../hidraw0",
      "/elsewhere/hidraw0",
      "",
  };
  for (const std::string& path : invalid) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(backend.QueryInterface(path).has_value());
    EXPECT_FALSE(backend.ReadIndexedString(path, 1).has_value());
    EXPECT_EQ(backend.Open(path), nullptr);
  }
}

struct StringCase {
  const char* name;
  std::string attribute;
  std::u16string expected;
};

class DeviceStrings : public HidrawBackendOnFakeSysfs,
                      public ::testing::WithParamInterface<StringCase> {};

TEST_P(DeviceStrings, LoseOnlyTheFinalNewlineAndReadAsUtf16) {
  FakeSysfs::UsbStrings usb;
  usb.manufacturer = "Company \n";
  usb.product = GetParam().attribute;
  sysfs.AddNode(0, kKeyboardDescriptor, usb);
  auto backend = MakeBackend();
  EXPECT_EQ(backend.ReadIndexedString(Path(0), 1), std::u16string(u"Company "));
  EXPECT_EQ(backend.ReadIndexedString(Path(0), 2), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, DeviceStrings,
    ::testing::Values(StringCase{"TrailingBlankKept", "USB Device \n", u"USB Device "},
                      StringCase{"TwoBlanksKept", "usb device  \n", u"usb device  "},
                      StringCase{"OnlyOneNewlineRemoved", "A\n\n", u"A\n"},
                      StringCase{"NoNewline", "Plain", u"Plain"}, StringCase{"Empty", "\n", u""},
                      StringCase{"TwoAndThreeByteUtf8", "Soci\xC3\xA9t\xC3\xA9 \xE2\x98\x83\n",
                                 u"Soci\u00E9t\u00E9 \u2603"},
                      StringCase{"FourByteUtf8BecomesSurrogatePair", "\xF0\x9D\x84\x9E\n",
                                 u"\U0001D11E"},
                      StringCase{"InvalidByte", "a\xFFz\n", u"a\uFFFDz"},
                      StringCase{"OverlongEncoding", "\xC0\x80\n", u"\uFFFD\uFFFD"},
                      StringCase{"EncodedSurrogate", "\xED\xA0\x80\n", u"\uFFFD\uFFFD\uFFFD"},
                      StringCase{"CutSequence", "x\xE2\x98\n", u"x\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidrawBackendOnFakeSysfs, StringsFailForMissingAttributesAndOtherIndexes) {
  FakeSysfs::UsbStrings usb;
  usb.product.reset();
  sysfs.AddNode(0, kKeyboardDescriptor, usb);
  auto backend = MakeBackend();
  EXPECT_TRUE(backend.ReadIndexedString(Path(0), 1).has_value());
  EXPECT_FALSE(backend.ReadIndexedString(Path(0), 2).has_value());
  for (int index : {0, 3, -1, 256}) {
    EXPECT_FALSE(backend.ReadIndexedString(Path(0), index).has_value()) << index;
  }
}

TEST_F(HidrawBackendOnFakeSysfs, AddAndRemoveGiveOneChangePerCollectionPath) {
  sysfs.AddNode(1, kThreeCollectionsDescriptor);
  sysfs.AddNode(0, kKeyboardDescriptor);
  auto backend = MakeBackend();
  backend.EnumeratePaths();

  using Changes = std::vector<std::pair<bool, std::string>>;
  auto changes = [&](const char* action, const char* node) {
    Changes out;
    const std::string name = node;
    const int number = name.starts_with("hidraw") && name.size() > 6 && std::isdigit(name[6])
                           ? std::stoi(name.substr(6))
                           : 0;
    for (const HidDeviceChange& c : backend.ChangesForUevent(action, node, sysfs.DevPath(number))) {
      out.emplace_back(c.arrived, c.path);
    }
    return out;
  };

  // The node's sysfs entry is gone by the time its removal is seen.
  sysfs.RemoveNode(1);
  EXPECT_EQ(changes("remove", "hidraw1"), (Changes{{false, Path(1, "&col01")},
                                                   {false, Path(1, "&col02")},
                                                   {false, Path(1, "&col03")}}));
  EXPECT_EQ(changes("remove", "hidraw0"), (Changes{{false, Path(0)}}));
  // Never seen: its plain node path.
  EXPECT_EQ(changes("remove", "hidraw7"), (Changes{{false, Path(7)}}));

  sysfs.AddNode(5, kThreeCollectionsDescriptor);
  EXPECT_EQ(
      changes("add", "hidraw5"),
      (Changes{{true, Path(5, "&col01")}, {true, Path(5, "&col02")}, {true, Path(5, "&col03")}}));
  // The count learnt at arrival serves the removal.
  sysfs.RemoveNode(5);
  EXPECT_EQ(changes("remove", "hidraw5").size(), 3u);
  // Seen again after removal: forgotten, so the plain path.
  EXPECT_EQ(changes("remove", "hidraw5"), (Changes{{false, Path(5)}}));

  // Arrival of a node that cannot be described yet is still announced.
  EXPECT_EQ(changes("add", "hidraw6"), (Changes{{true, Path(6)}}));

  EXPECT_TRUE(changes("change", "hidraw0").empty());
  EXPECT_TRUE(changes("bind", "hidraw0").empty());
  EXPECT_TRUE(changes("add", "../hidraw0").empty());
  EXPECT_TRUE(changes("add", "card0").empty());
}

TEST_F(HidrawBackendOnFakeSysfs, WithoutUdevThereIsNoChangeHandle) {
  auto backend = MakeBackend();
  EXPECT_EQ(backend.ChangeHandle(), kNoWaitHandle);
  EXPECT_TRUE(backend.TakeChanges().empty());
}

TEST_F(HidrawBackendOnFakeSysfs, OpenReadsCapabilitiesAndFramesUnnumberedReports) {
  sysfs.AddNode(0, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D", true);
  auto backend = MakeBackend();
  auto device = backend.Open(Path(0));
  ASSERT_NE(device, nullptr);
  const auto caps = device->Capabilities();
  ASSERT_TRUE(caps.has_value());
  EXPECT_EQ(caps->usage, 0x06);
  EXPECT_EQ(caps->inputReportByteLength, 9);

  // The FIFO stands in for the node: what is written to it is one report.
  const int writer = ::open(sysfs.NodePath(0).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  const uint8_t report[] = {0x11, 0x22, 0x33};
  ASSERT_EQ(::write(writer, report, sizeof report), 3);
  ::close(writer);

  uint8_t buffer[16] = {0xEE};
  size_t received = 0;
  ASSERT_EQ(device->ReadInputReport(buffer, sizeof buffer, &received),
            HidOpenDevice::ReadStatus::Report);
  EXPECT_EQ(Bytes(buffer, buffer + received), (Bytes{0x00, 0x11, 0x22, 0x33}));
}

TEST_F(HidrawBackendOnFakeSysfs, OpenFailsWhenTheNodeIsMissing) {
  CapturedDeviceLog log;
  sysfs.AddNode(0, kKeyboardDescriptor);  // sysfs entry, but no /dev node
  EXPECT_EQ(MakeBackend().Open(Path(0)), nullptr);
  // The kernel's reason is kept, with the node it was given for.
  EXPECT_EQ(log.Take(), std::vector<std::string>{"open " + sysfs.DevRoot() +
                                                 "/hidraw0: No such file or directory"});
}

// Whether the backend calls a node refused for lack of permission, asked in
// a child process without root's overrides, as an ordinary user would.
bool AccessDeniedForAUser(HidrawBackendOnFakeNodes& backend, const std::string& path) {
  const pid_t pid = fork();
  if (pid == 0) {
    DropFileOverrides();
    _exit(backend.AccessDenied(path) ? 1 : 0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(HidrawBackendOnFakeSysfs, AccessIsDeniedOnlyForANodeTheUserMayNotOpen) {
  sysfs.AddNode(0, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D", true);
  sysfs.AddNode(1, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4E", true);
  sysfs.AddNode(2, kKeyboardDescriptor);  // no node at all: gone, not refused
  ASSERT_EQ(::chmod(sysfs.NodePath(1).c_str(), 0), 0);
  auto backend = MakeBackend();
  EXPECT_FALSE(AccessDeniedForAUser(backend, Path(0)));
  EXPECT_TRUE(AccessDeniedForAUser(backend, Path(1)));
  EXPECT_FALSE(AccessDeniedForAUser(backend, Path(2)));
  EXPECT_FALSE(AccessDeniedForAUser(backend, "/dev/hidraw-none#0003:0000:0000.0000"));
}

int OpenFdCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST_F(HidrawBackendOnFakeSysfs, EveryDescriptorIsClosedAgain) {
  sysfs.AddNode(0, kKeyboardDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D", true);
  sysfs.AddNode(1, kThreeCollectionsDescriptor, FakeSysfs::UsbStrings{}, "0003:00001A2B:00003C4D",
                true);
  const int before = OpenFdCount();
  for (int round = 0; round < 20; ++round) {
    auto backend = MakeBackend();
    for (const std::string& path : backend.EnumeratePaths()) {
      backend.QueryInterface(path);
      backend.ReadIndexedString(path, 1);
      auto device = backend.Open(path);
      ASSERT_NE(device, nullptr) << path;
      device->Cancel();
    }
    backend.Open(Path(9));
    // The production flavour also opens a udev context and a monitor socket.
    HidrawBackend withUdev(sysfs.SysRoot(), sysfs.DevRoot(), true);
    withUdev.EnumeratePaths();
    withUdev.TakeChanges();
  }
  EXPECT_EQ(OpenFdCount(), before);
}

}  // namespace
