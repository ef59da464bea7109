// The Windows HID backend: the rules on interface paths and error codes,
// and enumeration on whatever HID devices the system has.
#include "platform/win32/hid_backend_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct KeyCase {
  const char* name;
  const char* a;
  const char* b;
  bool same;
};

class DeviceKey : public ::testing::TestWithParam<KeyCase> {};

constexpr const char* kGuid = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::string Path(const std::string& hardware, const std::string& instance) {
  return std::string("\\\\?\\hid#") + hardware + "#" + instance + "#" + kGuid;
}

TEST_P(DeviceKey, TellsCollectionsOfOneInterfaceFromOtherDevices) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(Win32DeviceKeyOfPath(c.a) == Win32DeviceKeyOfPath(c.b), c.same)
      << Win32DeviceKeyOfPath(c.a) << " / " << Win32DeviceKeyOfPath(c.b);
}

const std::string kCol1 = Path("vid_1a2c&pid_1a20&mi_01&col01", "7&2a1b3c4d&0&0000");
const std::string kCol2 = Path("vid_1a2c&pid_1a20&mi_01&col02", "7&2a1b3c4d&0&0001");
const std::string kCol2Upper = Path("VID_1A2C&PID_1A20&MI_01&COL02", "7&2A1B3C4D&0&0001");
const std::string kOtherInterface = Path("vid_1a2c&pid_1a20&mi_02&col01", "7&3c4d5e6f&0&0000");
const std::string kSecondUnit = Path("vid_1a2c&pid_1a20&mi_01&col01", "7&99aa00bb&0&0000");
const std::string kSingle = Path("vid_1956&pid_2862", "6&11aa22bb&0&0000");

INSTANTIATE_TEST_SUITE_P(
    Paths, DeviceKey,
    ::testing::Values(KeyCase{"TwoCollections", kCol1.c_str(), kCol2.c_str(), true},
                      KeyCase{"LetterCase", kCol2.c_str(), kCol2Upper.c_str(), true},
                      KeyCase{"OtherInterface", kCol1.c_str(), kOtherInterface.c_str(), false},
                      KeyCase{"SecondUnitSameModel", kCol1.c_str(), kSecondUnit.c_str(), false},
                      KeyCase{"SingleCollection", kSingle.c_str(), kCol1.c_str(), false},
                      KeyCase{"NotAPath", "abc", "abd", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceKey, KeepsTheHardwareAndInstanceParts) {
  EXPECT_EQ(Win32DeviceKeyOfPath(kCol2), Path("vid_1a2c&pid_1a20&mi_01", "7&2a1b3c4d&0"));
}

TEST(FeatureFailure, SortsTheSystemsReasons) {
  using S = HidOpenDevice::FeatureStatus;
  const struct {
    DWORD error;
    S status;
  } cases[] = {
      {ERROR_SEM_TIMEOUT, S::TimedOut},     {ERROR_DEVICE_NOT_CONNECTED, S::Gone},
      {ERROR_INVALID_HANDLE, S::Gone},      {ERROR_FILE_NOT_FOUND, S::Gone},
      {ERROR_GEN_FAILURE, S::Refused},      {ERROR_INVALID_PARAMETER, S::Refused},
      {ERROR_INVALID_FUNCTION, S::Refused},
  };
  for (const auto& c : cases) EXPECT_EQ(Win32FeatureFailure(c.error), c.status) << c.error;
}

// The system's HID devices, whichever there are (wine offers virtual
// ones): every listed path describes itself, and a path that is no device
// gives nothing rather than failing loudly.
TEST(Win32HidBackendOnThisSystem, ListedInterfacesDescribeThemselves) {
  Win32HidBackend backend;
  const std::vector<std::string> paths = backend.EnumeratePaths();
  if (paths.empty()) GTEST_SKIP() << "this system lists no HID interfaces";
  for (const std::string& path : paths) {
    EXPECT_EQ(path.rfind("\\\\?\\", 0), 0u) << path;
    const std::optional<HidInterfaceInfo> info = backend.QueryInterface(path);
    ASSERT_TRUE(info.has_value()) << path;
    EXPECT_NE(info->usagePage, 0) << path;
    const std::optional<std::u16string> maker = backend.ReadIndexedString(path, 1);
    const std::optional<std::u16string> product = backend.ReadIndexedString(path, 2);
    ASSERT_TRUE(maker.has_value() && product.has_value()) << path;
    EXPECT_FALSE(product->empty()) << path;
    std::printf("%s %04X:%04X usage %04X:%04X \"%s\" \"%s\"\n", path.c_str(), info->vendorId,
                info->productId, info->usagePage, info->usage,
                std::string(maker->begin(), maker->end()).c_str(),
                std::string(product->begin(), product->end()).c_str());
  }
}

TEST(Win32HidBackendOnThisSystem, AMissingPathGivesNothing) {
  Win32HidBackend backend;
  const std::string missing = Path("vid_0000&pid_0000", "1&0&0&0000");
  EXPECT_FALSE(backend.QueryInterface(missing).has_value());
  EXPECT_FALSE(backend.ReadIndexedString(missing, 1).has_value());
  EXPECT_EQ(backend.Open(missing), nullptr);
  EXPECT_EQ(backend.ChangeHandle(), kNoWaitHandle);
}

}  // namespace
