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

// A device change keeps its place among the device events posted around
// it: each queued record has its own private message where it was posted.
TEST_F(PosterOnAMessageWindow, BroadcastRecordsKeepTheirPlaceAmongPlainOnes) {
  m_Poster.Post(Arrival("a"));
  m_Poster.Post(PostedMessage(UM_LT_KEY, 1, 0));
  m_Poster.Post(Arrival("b"));
  std::vector<std::string> order;
  for (const MSG& message : Take()) {
    if (message.message == WindowPoster::kDrainMessage) {
      const std::optional<Message> record = m_Poster.TakeOldest();
      ASSERT_TRUE(record.has_value());
      // The record keeps what its lParam points to.
      order.push_back(reinterpret_cast<const DeviceBroadcast*>(record->lParam)->name);
    } else {
      order.push_back(std::to_string(message.message));
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"a", std::to_string(UM_LT_KEY), "b"}));
  EXPECT_FALSE(m_Poster.TakeOldest().has_value());
}

TEST_F(PosterOnAMessageWindow, NothingIsPostedOnceTheWindowIsGone) {
  m_Poster.Post(Arrival("a"));
  m_Poster.Detach();
  m_Poster.Post(PostedMessage(UM_LT_KEY, 1, 0));
  m_Poster.Post(Arrival("b"));
  Take();
  EXPECT_FALSE(m_Poster.TakeOldest().has_value());
  EXPECT_TRUE(Take().empty());
}

}  // namespace
