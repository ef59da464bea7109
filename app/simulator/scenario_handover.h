// Handing scenario commands from the thread that reads the scenario to the
// user-interface thread, for as long as the main window lives. The reading
// thread co-owns this object, so it stays valid whenever the thread wakes;
// the user-interface thread closes it before the main window goes, and from
// then on no command reaches the window, and a command already handed over
// but not yet run never runs.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class ScenarioHandover : public std::enable_shared_from_this<ScenarioHandover> {
 public:
  // Queues a call on the user-interface thread; it may be dropped unrun (the
  // window system's queue went away), which the handover then waits out
  // until it is closed.
  using PostToUiThread = std::function<void(std::function<void()> call)>;

  static std::shared_ptr<ScenarioHandover> Create(PostToUiThread post);

  // Reading thread: runs `work` on the user-interface thread and waits until
  // it has run. False, with `work` not run, once the handover is closed.
  bool Run(const std::function<void()>& work);

  // User-interface thread, before the main window goes: a Run that waits
  // returns false at once, and every later one as well.
  void Close();

 private:
  explicit ScenarioHandover(PostToUiThread post) : m_Post(std::move(post)) {}

  struct Task {
    std::function<void()> work;
    bool done = false;
  };

  PostToUiThread m_Post;
  std::mutex m_Mutex;
  std::condition_variable m_Changed;
  bool m_Open = true;
};
