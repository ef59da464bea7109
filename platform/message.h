// Window messages as the program's units exchange them: a record posted to
// the main window from any thread, handled in order on the user-interface
// thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Message numbers.
inline constexpr uint32_t WM_SIZE = 5;
inline constexpr uint32_t WM_DEVICECHANGE = 537;
inline constexpr uint32_t WM_USER = 1024;
inline constexpr uint32_t UM_RT_MODE = WM_USER + 0;        // 1024
inline constexpr uint32_t UM_LT_KEY = WM_USER + 1;         // 1025
inline constexpr uint32_t UM_CPI_LEVEL = WM_USER + 2;      // 1026
inline constexpr uint32_t UM_CPI_LEVEL_ALT = WM_USER + 3;  // 1027
inline constexpr uint32_t UM_APPBAR = WM_USER + 4;         // 1028

// Application-bar notification codes carried by UM_APPBAR.
inline constexpr uintptr_t ABN_POSCHANGED = 1;
inline constexpr uintptr_t ABN_FULLSCREENAPP = 2;

// WM_DEVICECHANGE events and device types.
inline constexpr uintptr_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr uintptr_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr uint32_t DBT_DEVTYP_DEVICEINTERFACE = 5;
inline constexpr uint32_t DBT_DEVTYP_HANDLE = 6;

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
