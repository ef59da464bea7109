// The monitor of one ID7M keyboard or mouse interface: reads its input
// reports on a thread of its own and posts the mode changes they announce to
// the main window.
//
// Use: construct, set DevicePath and DeviceKind, store the pointer in the
// slot of its kind, Start. The object frees itself when its body ends.
#pragma once

#include <string>

#include "monitors/monitor_slots.h"
#include "monitors/monitor_thread.h"
#include "platform/message.h"

class TiomHidThreadId7M : public MonitorThread {
 public:
  // The slots and the poster must outlive every monitor that uses them.
  TiomHidThreadId7M(MonitorSlots& slots, MessagePoster& mainWindow);

  // Written before Start, read-only afterwards.
  std::string DevicePath;
  std::string DeviceKind;  // "Keyboard" or "Mouse", case-sensitive

 protected:
  void Execute() override;

 private:
  MonitorSlots& m_Slots;
  MessagePoster& m_MainWindow;
};
