// The Windows backend in the HID backend contract, on the system it runs
// on (under wine in the tests). No HID device can be plugged in from a
// test there, and the backend has no change handle of its own.
#include "platform/win32/hid_backend_win32.h"
#include "tests/platform/hid_backend_contract.h"

namespace {

class Win32UnderTest : public HidBackendUnderTest {
 public:
  HidBackend& Backend() override { return m_Backend; }

  std::optional<std::string> CannotPlug() const override {
    return "no HID device can be plugged in from a test on Windows (wine offers no virtual "
           "HID bus a test can add devices to)";
  }
  std::optional<std::string> CannotWatch() const override {
    return "Windows posts arrivals and removals to the main window (WM_DEVICECHANGE, tested "
           "in device_notifications_test); the backend has no change handle";
  }

  std::vector<std::string> Plug(const std::string&, ContractShape) override { return {}; }
  void Unplug(const std::string&) override {}
  std::vector<HidDeviceChange> Changes() override { return {}; }

 private:
  Win32HidBackend m_Backend;
};

}  // namespace

std::vector<ContractBackend> PlatformContractBackends() {
  return {{"Win32", [] { return std::make_unique<Win32UnderTest>(); }}};
}
