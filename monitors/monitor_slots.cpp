#include "monitors/monitor_slots.h"

#include <type_traits>

namespace {

// The one place that says which slot belongs to which kind.
template <typename Slots, typename Action>
void WithSlotOf(Slots& slots, MonitorKind kind, Action action) {
  switch (kind) {
    case MonitorKind::Keyboard:
      action(slots.m_KeyboardMonitor);
      return;
    case MonitorKind::Mouse:
      action(slots.m_MouseMonitor);
      return;
    case MonitorKind::Es2862:
      action(slots.m_Es2862Monitor);
      return;
  }
}

}  // namespace

std::optional<MonitorKind> MonitorKindOf(Id7mKind kind) {
  switch (kind) {
    case Id7mKind::Keyboard:
      return MonitorKind::Keyboard;
    case Id7mKind::Mouse:
      return MonitorKind::Mouse;
    case Id7mKind::Other:
      return std::nullopt;
  }
  return std::nullopt;
}

bool MonitorSlots::Holds(MonitorKind kind) const {
  bool held = false;
  WithSlotOf(*this, kind, [&](const auto& slot) { held = slot.load() != nullptr; });
  return held;
}

void MonitorSlots::Empty(MonitorKind kind) {
  WithSlotOf(*this, kind, [](auto& slot) { slot.store(nullptr); });
}

void MonitorSlots::Store(MonitorKind kind, TiomHidThreadId7M* monitor) {
  WithSlotOf(*this, kind, [monitor](auto& slot) {
    if constexpr (std::is_same_v<decltype(slot.load()), TiomHidThreadId7M*>) {
      slot.store(monitor);
    }
  });
}
