// Posting records to a window from any thread: plain records as window
// messages, records with a broadcast through the queue, nothing once the
// window is gone.
#include "app/win32/window_poster.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

namespace {

class PosterOnAMessageWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(m_Window, nullptr);
    m_Poster.Attach(m_Window);
  }
  void TearDown() override { DestroyWindow(m_Window); }

  std::vector<MSG> Take() {
    std::vector<MSG> taken;
    MSG message;
    while (PeekMessageW(&message, m_Window, 0, 0, PM_REMOVE)) taken.push_back(message);
    return taken;
  }

  HWND m_Window = nullptr;
  WindowPoster m_Poster;
};

Message Arrival(const std::string& path) {
  auto record = std::make_shared<DeviceBroadcast>();
  record->deviceType = DBT_DEVTYP_DEVICEINTERFACE;
  record->name = path;
  Message message =
      PostedMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<intptr_t>(record.get()));
  message.broadcast = record;
  return message;
}

TEST_F(PosterOnAMessageWindow, PlainRecordsBecomeWindowMessagesFromAnyThread) {
  std::thread([this] { m_Poster.Post(PostedMessage(UM_LT_KEY, 4, 0)); }).join();
  const std::vector<MSG> messages = Take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, UM_LT_KEY);
  EXPECT_EQ(messages[0].wParam, 4u);
}

TEST_F(PosterOnAMessageWindow, BroadcastRecordsWaitInOrderBehindOneDrainMessage) {
  m_Poster.Post(Arrival("a"));
  m_Poster.Post(Arrival("b"));
  const std::vector<MSG> messages = Take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WindowPoster::kDrainMessage);
  const std::deque<Message> queued = m_Poster.TakeQueued();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[0].broadcast->name, "a");
  EXPECT_EQ(queued[1].broadcast->name, "b");
  // The records keep what their lParam points to.
  EXPECT_EQ(reinterpret_cast<const DeviceBroadcast*>(queued[1].lParam)->name, "b");
}

TEST_F(PosterOnAMessageWindow, NothingIsPostedOnceTheWindowIsGone) {
  m_Poster.Post(Arrival("a"));
  m_Poster.Detach();
  m_Poster.Post(PostedMessage(UM_LT_KEY, 1, 0));
  m_Poster.Post(Arrival("b"));
  Take();
  EXPECT_TRUE(m_Poster.TakeQueued().empty());
  EXPECT_TRUE(Take().empty());
}

}  // namespace
