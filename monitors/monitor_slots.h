// The main window's monitor slots. The discovery pass stores each monitor it
// starts into the slot of its kind; a monitor treats a non-null slot of its
// kind as its permission to go on running. Monitors only test a slot for null
// and store null into it; nobody reaches a monitor through a slot.
#pragma once

#include <atomic>
#include <optional>

#include "monitors/report_decoders.h"

class TiomHidThreadId7M;
class TiomHidThreadIdEs2862;

// The kind of monitor a slot holds.
enum class MonitorKind { Keyboard, Mouse, Es2862 };

// The slot kind of an ID7M monitor; none for a DeviceKind that is neither
// "Keyboard" nor "Mouse" (such a monitor has no slot to run by).
std::optional<MonitorKind> MonitorKindOf(Id7mKind kind);

struct MonitorSlots {
  std::atomic<TiomHidThreadId7M*> m_KeyboardMonitor{nullptr};
  std::atomic<TiomHidThreadId7M*> m_MouseMonitor{nullptr};
  std::atomic<TiomHidThreadIdEs2862*> m_Es2862Monitor{nullptr};

  // Whether the slot of `kind` holds a monitor: that kind's permission.
  bool Holds(MonitorKind kind) const;
  // Stores null into the slot of `kind`.
  void Empty(MonitorKind kind);
  // Stores a new ID7M monitor into the slot of `kind`, Keyboard or Mouse.
  void Store(MonitorKind kind, TiomHidThreadId7M* monitor);
  void Store(TiomHidThreadIdEs2862* monitor) { m_Es2862Monitor.store(monitor); }
};
