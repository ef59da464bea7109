// Window messages as the program's units exchange them: a record posted to
// the main window from any thread, handled in order on the user-interface
// thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The system's message numbers and notification codes (WM_SIZE,
// WM_DEVICECHANGE, WM_USER, ABN_*, DBT_*): Windows' own headers where they
// exist, the same values written out elsewhere. The build chooses the file.
#include "system_message_numbers.h"

// The program's own messages.
inline constexpr uint32_t UM_RT_MODE = WM_USER + 0;        // 1024
inline constexpr uint32_t UM_LT_KEY = WM_USER + 1;         // 1025
inline constexpr uint32_t UM_CPI_LEVEL = WM_USER + 2;      // 1026
inline constexpr uint32_t UM_CPI_LEVEL_ALT = WM_USER + 3;  // 1027
inline constexpr uint32_t UM_APPBAR = WM_USER + 4;         // 1028
// A monitor that the discovery pass started has ended; the slots it
// emptied are empty by then.
inline constexpr uint32_t UM_MONITOR_ENDED = WM_USER + 8;  // 1032
// A supported device is there but the user may not open it; the record's
// name is the interface path.
inline constexpr uint32_t UM_DEVICE_ACCESS_DENIED = WM_USER + 9;  // 1033

// The record a WM_DEVICECHANGE message points to.
struct DeviceBroadcast {
  uint32_t deviceType = 0;
  std::string name;  // the interface path, for DBT_DEVTYP_DEVICEINTERFACE
};

struct Message {
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  intptr_t result = 0;
  // Keeps the record that lParam points to alive for WM_DEVICECHANGE.
  std::shared_ptr<const DeviceBroadcast> broadcast;

  friend bool operator==(const Message&, const Message&) = default;
};

// A record that carries its values in wParam and lParam alone.
inline Message PostedMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  Message message;
  message.msg = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  return message;
}

// Where threads post messages for the main window. Post never blocks and is
// safe from any thread.
class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  virtual void Post(Message message) = 0;
};
