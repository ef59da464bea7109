// Posting message records to a window from any thread. Records that carry
// only wParam and lParam go out as window messages with PostMessageW; a
// record that keeps a DeviceBroadcast alive waits in a queue, and a private
// message posted with it takes it out on the window's thread. One private
// message per record keeps every record in the order it was posted among
// the plain ones. Once the window is gone, posts are dropped (monitor
// threads may outlive it at exit).
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/message.h"

class WindowPoster : public MessagePoster {
 public:
  // The private message that tells the window to take the next record.
  static constexpr UINT kDrainMessage = WM_APP + 2;

  WindowPoster();
  void Attach(HWND window);
  // Called by the window before it is destroyed.
  void Detach();
  void Post(Message message) override;
  // On the window's thread, for each kDrainMessage: the oldest queued
  // record; none once the poster was detached.
  std::optional<Message> TakeNext();

 private:
  struct State {
    std::mutex mutex;
    HWND window = nullptr;
    std::deque<Message> queued;
  };
  std::shared_ptr<State> m_State;
};
