// Arrival and removal notifications of IO_HID over simulated devices.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/hid/hid_sim_fixture.h"
#include "tests/support/recording_poster.h"

namespace {

bool Readable(WaitHandle handle) { return IsWaitHandleRaised(handle); }

struct Expected {
  uintptr_t event;
  std::string path;
};

void ExpectChanges(const std::vector<Message>& posted, const std::vector<Expected>& expected) {
  ASSERT_EQ(posted.size(), expected.size());
  for (size_t i = 0; i < posted.size(); ++i) {
    const Message& m = posted[i];
    EXPECT_EQ(m.msg, WM_DEVICECHANGE);
    EXPECT_EQ(m.wParam, expected[i].event);
    ASSERT_NE(m.broadcast, nullptr);
    // lParam points at the record the message keeps alive.
    EXPECT_EQ(m.lParam, reinterpret_cast<intptr_t>(m.broadcast.get()));
    const auto* record = reinterpret_cast<const DeviceBroadcast*>(m.lParam);
    EXPECT_EQ(record->deviceType, DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_EQ(record->name, expected[i].path);
  }
}

TEST_F(HidOnSim, ArrivalAndRemovalArePostedPerInterface) {
  const WaitHandle fd = HidRegisterArrival();
  ASSERT_NE(fd, kNoWaitHandle);
  EXPECT_FALSE(Readable(fd));

  RecordingPoster window;
  const std::vector<std::string> mouse = sim().Plug(SimMouse("mouse"));
  const std::vector<std::string> foreign = sim().Plug(SimForeign("foreign"));
  ASSERT_TRUE(Readable(fd));
  HidPostDeviceChanges(window);
  EXPECT_FALSE(Readable(fd));
  ExpectChanges(window.Take(), {{DBT_DEVICEARRIVAL, mouse[0]},
                                {DBT_DEVICEARRIVAL, mouse[1]},
                                {DBT_DEVICEARRIVAL, foreign[0]}});

  sim().Unplug("mouse");
  ASSERT_TRUE(Readable(fd));
  HidPostDeviceChanges(window);
  ExpectChanges(window.Take(),
                {{DBT_DEVICEREMOVECOMPLETE, mouse[0]}, {DBT_DEVICEREMOVECOMPLETE, mouse[1]}});
}

TEST_F(HidOnSim, NothingPendingPostsNothing) {
  RecordingPoster window;
  HidPostDeviceChanges(window);
  EXPECT_TRUE(window.Take().empty());
}

}  // namespace
