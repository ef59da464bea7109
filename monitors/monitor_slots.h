// The main window's monitor slots. The discovery pass stores each monitor it
// starts into the slot of its kind; a monitor treats a non-null slot of its
// kind as its permission to go on running. Monitors only test a slot for null
// and store null into it; nobody reaches a monitor through a slot.
#pragma once

#include <atomic>

class TiomHidThreadId7M;
class TiomHidThreadIdEs2862;

struct MonitorSlots {
  std::atomic<TiomHidThreadId7M*> m_KeyboardMonitor{nullptr};
  std::atomic<TiomHidThreadId7M*> m_MouseMonitor{nullptr};
  std::atomic<TiomHidThreadIdEs2862*> m_Es2862Monitor{nullptr};
};
