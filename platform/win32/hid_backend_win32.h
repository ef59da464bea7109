// The HID backend on Windows: SetupAPI lists the HID class's device
// interfaces, hid.dll reads their identity, strings and feature reports,
// and input reports come from overlapped reads. Windows gives one interface
// path per top-level collection, so paths are used as the system gives
// them (UTF-8 of the wide path).
#pragma once

#include <string>
#include <string_view>

#include "platform/hid_backend.h"

class Win32HidBackend : public HidBackend {
 public:
  std::vector<std::string> EnumeratePaths() override;
  std::optional<HidInterfaceInfo> QueryInterface(const std::string& path) override;
  std::optional<std::u16string> ReadIndexedString(const std::string& path, int index) override;
  std::unique_ptr<HidOpenDevice> Open(const std::string& path) override;
  std::string DeviceKeyOf(const std::string& path) const override;
  // Arrivals reach the main window as WM_DEVICECHANGE (device_notifications.h).
  WaitHandle ChangeHandle() override { return kNoWaitHandle; }
  std::vector<HidDeviceChange> TakeChanges() override { return {}; }
};

// What the collection paths of one device interface have in common:
//   \\?\hid#vid_1a2c&pid_1a20&mi_01&col02#7&2a1b3c4d&0&0001#{guid}
// lower-cased, without "&colNN" and without the instance's last "&NNNN",
// which numbers the collection. A path of another form is its own key.
std::string Win32DeviceKeyOfPath(std::string_view path);

// GetLastError codes of a feature transfer, sorted as the layers above act
// on them.
HidOpenDevice::FeatureStatus Win32FeatureFailure(unsigned long error);
