#include "app/device_access_notices.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "hid/IO_HID.h"
#include "platform/interface_path.h"
#include "skin/text_helpers.h"

namespace {

struct BuiltInTexts {
  std::u16string_view language;
  std::u16string_view line;  // %1: the device
  std::u16string_view fix;
};

// The three languages the menu offers; any other reads English.
constexpr BuiltInTexts kBuiltIn[] = {
    {u"English", u"No access to %1",
     u"Install the udev rule, run \u201csudo udevadm control --reload && sudo udevadm "
     u"trigger\u201d, then plug the device in again"},
    {u"ChineseS", u"\u65e0\u6cd5\u8bbf\u95ee %1",
     u"\u8bf7\u5b89\u88c5 udev \u89c4\u5219\uff0c\u8fd0\u884c\u201csudo udevadm control "
     u"--reload && sudo udevadm trigger\u201d\uff0c\u7136\u540e\u91cd\u65b0\u63d2\u5165"
     u"\u8bbe\u5907"},
    {u"ChineseT", u"\u7121\u6cd5\u5b58\u53d6 %1",
     u"\u8acb\u5b89\u88dd udev \u898f\u5247\uff0c\u57f7\u884c\u300csudo udevadm control "
     u"--reload && sudo udevadm trigger\u300d\uff0c\u7136\u5f8c\u91cd\u65b0\u63d2\u5165"
     u"\u88dd\u7f6e"},
};

const BuiltInTexts& BuiltInFor(std::u16string_view language) {
  for (const BuiltInTexts& texts : kBuiltIn) {
    if (texts.language == language) return texts;
  }
  return kBuiltIn[0];
}

std::u16string Trimmed(std::u16string_view text) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

}  // namespace

bool DeviceAccessNotices::Add(const std::string& deviceKey, DeniedDevice device) {
  if (std::find(m_Keys.begin(), m_Keys.end(), deviceKey) != m_Keys.end()) return false;
  m_Keys.push_back(deviceKey);
  m_Devices.push_back(std::move(device));
  return true;
}

bool DeviceAccessNotices::Remove(const std::string& deviceKey) {
  const auto at = std::find(m_Keys.begin(), m_Keys.end(), deviceKey);
  if (at == m_Keys.end()) return false;
  m_Devices.erase(m_Devices.begin() + (at - m_Keys.begin()));
  m_Keys.erase(at);
  return true;
}

std::u16string ReadProductName(const std::string& path) {
  char16_t buffer[128] = {};
  if (!HidReadIndexedString(path, 2, buffer, sizeof buffer)) return {};
  // Bounded by the buffer, in case a string filled it without a terminator.
  const std::u16string_view text(buffer, std::size(buffer));
  return std::u16string(text.substr(0, text.find(u'\0')));
}

std::string NodeOfInterfacePath(std::string_view path) {
  const std::optional<InterfacePathParts> parts = SplitInterfacePath(path);
  return parts ? parts->node : std::string(path);
}

DeviceAccessTexts ReadDeviceAccessTexts(const DeniedDevice& device, std::u16string_view language,
                                        const SettingsReader& readString) {
  const BuiltInTexts& builtIn = BuiltInFor(language);
  std::u16string line = readString(language, kNoAccessKey);
  if (line.empty()) line = builtIn.line;
  std::u16string fix = readString(language, kNoAccessFixKey);
  if (fix.empty()) fix = builtIn.fix;

  // Product strings carry trailing blanks; the node tells two alike apart.
  const std::u16string name = Trimmed(device.name);
  const std::u16string node = Utf8ToUtf16(device.node);
  const std::u16string subject = name.empty() ? node : name + u" (" + node + u")";
  if (const size_t at = line.find(u"%1"); at != std::u16string::npos) {
    line.replace(at, 2, subject);
  } else {
    line += u" " + subject;
  }
  return {std::move(line), std::move(fix)};
}
