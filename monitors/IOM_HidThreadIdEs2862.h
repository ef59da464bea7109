// The monitor of one ES2862-family vendor interface: reads its input reports
// on a thread of its own and posts the CPI changes they announce to the main
// window. All ES2862 monitors share the m_Es2862Monitor slot: when one ends
// normally it empties the slot, and every other one ends at its next report.
//
// Use: construct, set DevicePath, store the pointer in m_Es2862Monitor,
// Start. The object frees itself when its body ends.
#pragma once

#include <string>

#include "monitors/monitor_slots.h"
#include "monitors/monitor_thread.h"
#include "platform/message.h"

class TiomHidThreadIdEs2862 : public MonitorThread {
 public:
  // The slots and the poster must outlive every monitor that uses them.
  TiomHidThreadIdEs2862(MonitorSlots& slots, MessagePoster& mainWindow);

  // Written before Start, read-only afterwards.
  std::string DevicePath;

 protected:
  void Execute() override;

 private:
  MonitorSlots& m_Slots;
  MessagePoster& m_MainWindow;
};
