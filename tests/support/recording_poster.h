// A message poster that keeps what it is given, for tests of whatever posts
// to the main window from its own thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/message.h"

class RecordingPoster : public MessagePoster {
 public:
  static constexpr std::chrono::milliseconds kPatience{30000};

  void Post(Message message) override {
    if (m_OnPost) m_OnPost(message);
    {
      std::lock_guard lock(m_Mutex);
      m_Messages.push_back(std::move(message));
    }
    m_Changed.notify_all();
  }

  // Whether `count` messages (in all, taken ones included) arrived in time.
  bool WaitForCount(size_t count, std::chrono::milliseconds timeout = kPatience) {
    std::unique_lock lock(m_Mutex);
    return m_Changed.wait_for(lock, timeout, [&] { return m_Taken + m_Messages.size() >= count; });
  }

  std::vector<Message> Messages() const {
    std::lock_guard lock(m_Mutex);
    return m_Messages;
  }

  // What arrived since the last call.
  std::vector<Message> Take() {
    std::lock_guard lock(m_Mutex);
    m_Taken += m_Messages.size();
    return std::exchange(m_Messages, {});
  }

  // Runs `hook` for every message as it is posted, on the poster's thread
  // and before Post returns; set it before anything posts.
  void SetOnPost(std::function<void(const Message&)> hook) { m_OnPost = std::move(hook); }

 private:
  std::function<void(const Message&)> m_OnPost;
  mutable std::mutex m_Mutex;
  std::condition_variable m_Changed;
  std::vector<Message> m_Messages;
  size_t m_Taken = 0;
};
