#include "app/simulator/simulator_trace.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

Message DeviceChange(uintptr_t event, std::string name) {
  auto record = std::make_shared<DeviceBroadcast>();
  record->deviceType = DBT_DEVTYP_DEVICEINTERFACE;
  record->name = std::move(name);
  Message message{WM_DEVICECHANGE, event, 0, 0, record};
  // The record's address, as the main window receives it.
  message.lParam = reinterpret_cast<intptr_t>(record.get());
  return message;
}

TEST(SimulatorTraceTest, MessageLinesNameValuesNotAddresses) {
  struct Case {
    const char* name;
    Message message;
    const char* expected;
  } cases[] = {
      {"LtKey", {UM_LT_KEY, 3, 0, 0, nullptr}, "message 1025 wParam=3 lParam=0"},
      {"RtModeWithFlag", {UM_RT_MODE, 2, 1, 0, nullptr}, "message 1024 wParam=2 lParam=1"},
      {"FullScreen",
       {UM_APPBAR, ABN_FULLSCREENAPP, 1, 0, nullptr},
       "message 1028 wParam=2 lParam=1"},
      {"Arrival", DeviceChange(DBT_DEVICEARRIVAL, "/dev/hidraw-sim/1#0003:3A5C:0001.0001"),
       "message 537 wParam=32768 lParam=[deviceType=5 name=/dev/hidraw-sim/1#0003:3A5C:0001.0001]"},
      {"Removal", DeviceChange(DBT_DEVICEREMOVECOMPLETE, "/dev/hidraw-sim/2&col02#x"),
       "message 537 wParam=32772 lParam=[deviceType=5 name=/dev/hidraw-sim/2&col02#x]"},
      {"ChangeWithoutRecord", {WM_DEVICECHANGE, 7, 0, 0, nullptr}, "message 537 wParam=7 lParam=0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageTraceLine(c.message), c.expected) << c.name;
  }
}

TEST(SimulatorTraceTest, HexBytesPadsPastTheEnd) {
  EXPECT_EQ(HexBytes({0x07, 0xAB}, 4), "07 ab 00 00");
  EXPECT_EQ(HexBytes({0x05, 0x87, 0x00}, 1), "05");
  EXPECT_EQ(HexBytes({}, 0), "");
}

}  // namespace
