// Telling the user, once per device, that a supported device is plugged in
// but may not be opened, and what to do about it: on Linux the hidraw node
// belongs to root until the udev rule gives it to the user at the seat.
// The texts come from the settings' language section ("NoAccess",
// "NoAccessFix"), with built-in ones where the settings have none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/notification_texts.h"

// The settings keys, in each language's section.
inline constexpr std::u16string_view kNoAccessKey = u"NoAccess";        // %1: the device
inline constexpr std::u16string_view kNoAccessFixKey = u"NoAccessFix";  // what to do

// One device the user may not open.
struct DeniedDevice {
  std::u16string name;  // its product string, or "" where none can be read
  std::string node;     // "/dev/hidraw3"
};

class DeviceAccessNotices {
 public:
  // Records the device that `path` belongs to (`deviceKey`: the same for
  // all its interfaces); false when it was recorded already.
  bool Add(const std::string& deviceKey, DeniedDevice device);
  // Forgets the device (it was unplugged); false when it was not recorded.
  bool Remove(const std::string& deviceKey);
  const std::vector<DeniedDevice>& Devices() const { return m_Devices; }

 private:
  std::vector<std::string> m_Keys;  // the key of each of m_Devices
  std::vector<DeniedDevice> m_Devices;
};

// The product string of the device at `path`, as the device gives it; ""
// when it cannot be read.
std::u16string ReadProductName(const std::string& path);

// The node of an interface path ("/dev/hidraw3" for
// "/dev/hidraw3&col02#0003:1A2C:1A20.0007"); the path itself when it is none.
std::string NodeOfInterfacePath(std::string_view path);

struct DeviceAccessTexts {
  std::u16string line;  // names the device: "No access to USB Device (/dev/hidraw3)"
  std::u16string fix;   // what to do
};
// The texts for `device` in `language`, read with `readString` (which must
// give "" for what is missing).
DeviceAccessTexts ReadDeviceAccessTexts(const DeniedDevice& device, std::u16string_view language,
                                        const SettingsReader& readString);
