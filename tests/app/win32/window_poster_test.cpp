// Posting records to a window from any thread: plain records as window
// messages, records with a broadcast through the queue, nothing once the
// window is gone.
#include "app/win32/window_poster.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

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

TEST_F(PosterOnAMessageWindow, BroadcastRecordsWaitInOrderEachBehindItsOwnMessage) {
  m_Poster.Post(Arrival("a"));
  m_Poster.Post(Arrival("b"));
  const std::vector<MSG> messages = Take();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].message, WindowPoster::kDrainMessage);
  EXPECT_EQ(messages[1].message, WindowPoster::kDrainMessage);
  const std::optional<Message> first = m_Poster.TakeNext();
  const std::optional<Message> second = m_Poster.TakeNext();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->broadcast->name, "a");
  EXPECT_EQ(second->broadcast->name, "b");
  // The records keep what their lParam points to.
  EXPECT_EQ(reinterpret_cast<const DeviceBroadcast*>(second->lParam)->name, "b");
  EXPECT_FALSE(m_Poster.TakeNext());
}

// What the window sees, in the order it handles it: a plain record by its
// message number, a queued one by its broadcast's name.
std::vector<std::string> Handled(const std::vector<MSG>& messages, WindowPoster& poster) {
  std::vector<std::string> handled;
  for (const MSG& message : messages) {
    if (message.message != WindowPoster::kDrainMessage) {
      handled.push_back(std::to_string(message.message));
      continue;
    }
    if (const std::optional<Message> queued = poster.TakeNext()) {
      handled.push_back(queued->broadcast->name);
    }
  }
  return handled;
}

TEST_F(PosterOnAMessageWindow, BroadcastRecordsKeepTheirPlaceAmongPlainOnes) {
  const std::string lt = std::to_string(UM_LT_KEY);
  const struct {
    const char* name;
    std::vector<std::string> posted;  // a number posts a plain record, a name a broadcast
  } cases[] = {
      {"plain between two broadcasts", {"a", lt, "b"}},
      {"broadcast between two plain", {lt, "a", lt}},
      {"two broadcasts after a plain", {lt, "a", "b"}},
      {"plain after two broadcasts", {"a", "b", lt}},
  };
  for (const auto& c : cases) {
    for (const std::string& record : c.posted) {
      m_Poster.Post(record == lt ? PostedMessage(UM_LT_KEY, 0, 0) : Arrival(record));
    }
    EXPECT_EQ(Handled(Take(), m_Poster), c.posted) << c.name;
  }
}

TEST_F(PosterOnAMessageWindow, NothingIsPostedOnceTheWindowIsGone) {
  m_Poster.Post(Arrival("a"));
  m_Poster.Detach();
  m_Poster.Post(PostedMessage(UM_LT_KEY, 1, 0));
  m_Poster.Post(Arrival("b"));
  Take();
  EXPECT_FALSE(m_Poster.TakeNext());
  EXPECT_TRUE(Take().empty());
}

}  // namespace
