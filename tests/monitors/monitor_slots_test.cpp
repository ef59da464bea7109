// Which slot belongs to which monitor kind: storing, testing and emptying
// one slot leaves the other two as they were.
#include "monitors/monitor_slots.h"

#include <gtest/gtest.h>

#include "monitors/IOM_HidThreadId7M.h"
#include "monitors/IOM_HidThreadIdEs2862.h"
#include "platform/message.h"

namespace {

class NoPoster : public MessagePoster {
 public:
  void Post(Message) override {}
};

struct SlotCase {
  MonitorKind kind;
  bool keyboard;
  bool mouse;
  bool es2862;
};

TEST(MonitorSlotsTest, EachKindHasItsOwnSlot) {
  const SlotCase cases[] = {
      {MonitorKind::Keyboard, true, false, false},
      {MonitorKind::Mouse, false, true, false},
      {MonitorKind::Es2862, false, false, true},
  };
  NoPoster poster;
  for (const SlotCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    MonitorSlots slots;
    // Never started: the slots only compare them with null.
    TiomHidThreadId7M id7m(slots, poster);
    TiomHidThreadIdEs2862 es2862(slots, poster);
    if (c.kind == MonitorKind::Es2862) {
      slots.Store(&es2862);
    } else {
      slots.Store(c.kind, &id7m);
    }
    EXPECT_EQ(slots.m_KeyboardMonitor.load() != nullptr, c.keyboard);
    EXPECT_EQ(slots.m_MouseMonitor.load() != nullptr, c.mouse);
    EXPECT_EQ(slots.m_Es2862Monitor.load() != nullptr, c.es2862);
    EXPECT_EQ(slots.Holds(MonitorKind::Keyboard), c.keyboard);
    EXPECT_EQ(slots.Holds(MonitorKind::Mouse), c.mouse);
    EXPECT_EQ(slots.Holds(MonitorKind::Es2862), c.es2862);

    // Emptying every other slot leaves this one; emptying its own clears it.
    for (const MonitorKind other :
         {MonitorKind::Keyboard, MonitorKind::Mouse, MonitorKind::Es2862}) {
      if (other != c.kind) slots.Empty(other);
    }
    EXPECT_TRUE(slots.Holds(c.kind));
    slots.Empty(c.kind);
    EXPECT_FALSE(slots.Holds(c.kind));
  }
}

TEST(MonitorSlotsTest, OnlyKeyboardsAndMiceOfTheModelTableHaveASlot) {
  EXPECT_EQ(MonitorKindOf(Id7mKindFromText("Keyboard")), MonitorKind::Keyboard);
  EXPECT_EQ(MonitorKindOf(Id7mKindFromText("Mouse")), MonitorKind::Mouse);
  for (const char* text : {"keyboard", "MOUSE", "", "Mouse "}) {
    EXPECT_EQ(MonitorKindOf(Id7mKindFromText(text)), std::nullopt) << '"' << text << '"';
  }
}

}  // namespace
