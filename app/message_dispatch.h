// The rules of the main window's message handler, apart from any window:
// which messages it looks at, what it does with each, and that every message
// then goes on to the handler it replaced. The main window derives from it
// and supplies what the rules ask of the desktop and the devices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/message.h"

using WindowProc = std::function<void(Message&)>;

// The notification operations a device event calls, each with the event's
// value (wParam).
class HintOperations {
 public:
  virtual ~HintOperations() = default;
  virtual void ShowRTModeHint(uint32_t rtMode) = 0;
  virtual void ShowLTKeyHint(uint32_t ltKeyState) = 0;
  virtual void ShowCPIHint(uint32_t cpiLevel) = 0;
};

// True from an ABN_FULLSCREENAPP notification with lParam 1 until the next
// application-bar notification of any kind.
bool FullScreenAppAfterNotification(uintptr_t code, intptr_t lParam);

class MessageDispatch : public HintOperations {
 public:
  // Handles the cases of `message`, then passes the same record on to
  // `oldWindowProc`, whose result the record keeps.
  void MainWindowProc(Message& message, const WindowProc& oldWindowProc);

  // A device event shows nothing while a full-screen application is
  // reported and the foreground window is topmost.
  bool IsEventSuppressed();

 protected:
  // Whether the current foreground window is kept on top of all others.
  virtual bool IsForegroundWindowTopMost() = 0;
  // Keeps the main window and its taskbar entry out of sight.
  virtual void HideMainWindow() = 0;
  // A device interface arrived (WM_DEVICECHANGE, DBT_DEVICEARRIVAL, type 5).
  virtual void DeviceInterfaceArrived(const std::string& path) = 0;
  // A device interface was removed (DBT_DEVICEREMOVECOMPLETE, type 5).
  virtual void DeviceInterfaceRemoved(const std::string& path) = 0;
  // A device monitor ended (UM_MONITOR_ENDED).
  virtual void DeviceMonitorEnded() = 0;
  // The device at `path` could not be opened for lack of permission
  // (UM_DEVICE_ACCESS_DENIED). Only where users must be given devices
  // (Linux's udev rule) is there anything to say.
  virtual void DeviceAccessDenied(const std::string& /*path*/) {}

  // The last application-bar notification: written by the handler only,
  // read by IsEventSuppressed only.
  bool m_FullScreenApp = false;

 private:
  using HintOperation = void (HintOperations::*)(uint32_t);
  void HandleDeviceEvent(HintOperation show, const Message& message);
  void HandleDeviceChange(const Message& message);
};
