#include "app/device_access_notices.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Settings = std::map<std::u16string, std::u16string>;  // "Section/Key" -> value

SettingsReader ReaderOf(const Settings& settings) {
  return [&settings](std::u16string_view section, std::u16string_view key) {
    const auto found = settings.find(std::u16string(section) + u"/" + std::u16string(key));
    return found != settings.end() ? found->second : std::u16string();
  };
}

TEST(DeviceAccessTexts, ComeFromTheLanguageSectionWithBuiltInOnesInTheThreeLanguages) {
  const DeniedDevice keyboard{u"USB Device ", "/dev/hidraw3"};
  const Settings edited{{u"English/NoAccess", u"Cannot open %1!"},
                        {u"English/NoAccessFix", u"Ask your administrator"}};
  struct Case {
    const char16_t* language;
    const Settings* settings;
    const char16_t* line;
    const char16_t* fixStart;
  } cases[] = {
      {u"English", nullptr, u"No access to USB Device (/dev/hidraw3)", u"Install the udev rule"},
      {u"ChineseS", nullptr, u"无法访问 USB Device (/dev/hidraw3)", u"请安装 udev 规则"},
      {u"ChineseT", nullptr, u"無法存取 USB Device (/dev/hidraw3)", u"請安裝 udev 規則"},
      // A language the menu does not offer reads English.
      {u"German", nullptr, u"No access to USB Device (/dev/hidraw3)", u"Install the udev rule"},
      {u"English", &edited, u"Cannot open USB Device (/dev/hidraw3)!", u"Ask your administrator"},
      // The edited English texts are no one else's.
      {u"ChineseS", &edited, u"无法访问 USB Device (/dev/hidraw3)", u"请安装 udev 规则"},
  };
  const Settings none;
  for (const Case& c : cases) {
    const DeviceAccessTexts texts =
        ReadDeviceAccessTexts(keyboard, c.language, ReaderOf(c.settings ? *c.settings : none));
    EXPECT_EQ(texts.line, c.line);
    EXPECT_EQ(texts.fix.rfind(c.fixStart, 0), 0u)
        << std::string(texts.fix.begin(), texts.fix.end());
  }
}

TEST(DeviceAccessTexts, EveryBuiltInFixNamesTheCommandsToRun) {
  for (const char16_t* language : {u"English", u"ChineseS", u"ChineseT"}) {
    const std::u16string fix = ReadDeviceAccessTexts({}, language, ReaderOf({})).fix;
    EXPECT_NE(fix.find(u"sudo udevadm control --reload && sudo udevadm trigger"),
              std::u16string::npos);
  }
}

TEST(DeviceAccessTexts, NameTheDeviceByItsNodeWhereItGivesNoNameAndKeepATextWithoutPlaceholder) {
  const Settings noPlaceholder{{u"English/NoAccess", u"No access:"}};
  EXPECT_EQ(ReadDeviceAccessTexts({u"", "/dev/hidraw7"}, u"English", ReaderOf({})).line,
            u"No access to /dev/hidraw7");
  EXPECT_EQ(ReadDeviceAccessTexts({u"  ", "/dev/hidraw7"}, u"English", ReaderOf({})).line,
            u"No access to /dev/hidraw7");
  EXPECT_EQ(
      ReadDeviceAccessTexts({u"Mouse", "/dev/hidraw7"}, u"English", ReaderOf(noPlaceholder)).line,
      u"No access: Mouse (/dev/hidraw7)");
}

TEST(DeviceAccessNotices, NameEachDeviceOnceUntilItIsUnplugged) {
  DeviceAccessNotices notices;
  EXPECT_TRUE(notices.Add("/dev/hidraw3#0003:1a2c:1a20.0007", {u"Keyboard", "/dev/hidraw3"}));
  // Its other collections.
  EXPECT_FALSE(notices.Add("/dev/hidraw3#0003:1a2c:1a20.0007", {u"Keyboard", "/dev/hidraw3"}));
  EXPECT_TRUE(notices.Add("/dev/hidraw5#0003:1956:2862.0009", {u"Mouse", "/dev/hidraw5"}));
  ASSERT_EQ(notices.Devices().size(), 2u);

  EXPECT_TRUE(notices.Remove("/dev/hidraw3#0003:1a2c:1a20.0007"));
  EXPECT_FALSE(notices.Remove("/dev/hidraw3#0003:1a2c:1a20.0007"));
  ASSERT_EQ(notices.Devices().size(), 1u);
  EXPECT_EQ(notices.Devices()[0].name, u"Mouse");
  // Plugged in again: a new connection, named again.
  EXPECT_TRUE(notices.Add("/dev/hidraw3#0003:1a2c:1a20.000a", {u"Keyboard", "/dev/hidraw3"}));
}

TEST(DeviceAccessNotices, TheNodeOfAnInterfacePath) {
  EXPECT_EQ(NodeOfInterfacePath("/dev/hidraw3&col02#0003:1A2C:1A20.0007"), "/dev/hidraw3");
  EXPECT_EQ(NodeOfInterfacePath("/dev/hidraw3#0003:1A2C:1A20.0007"), "/dev/hidraw3");
  EXPECT_EQ(NodeOfInterfacePath("not a path"), "not a path");
}

}  // namespace
