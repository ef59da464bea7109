#include "app/simulator/scenario_handover.h"

std::shared_ptr<ScenarioHandover> ScenarioHandover::Create(PostToUiThread post) {
  return std::shared_ptr<ScenarioHandover>(new ScenarioHandover(std::move(post)));
}

bool ScenarioHandover::Run(const std::function<void()>& work) {
  auto task = std::make_shared<Task>();
  task->work = work;
  std::unique_lock lock(m_Mutex);
  if (!m_Open) return false;
  // Posted under the lock: Close, which comes before the window goes, waits
  // until the post is done, so the post never reaches a window that is gone.
  m_Post([self = shared_from_this(), task] {
    {
      std::lock_guard check(self->m_Mutex);
      if (!self->m_Open) return;
    }
    // Close runs on this same thread, so the window stays while the work runs.
    task->work();
    std::lock_guard done(self->m_Mutex);
    task->done = true;
    self->m_Changed.notify_all();
  });
  m_Changed.wait(lock, [&] { return task->done || !m_Open; });
  return task->done;
}

void ScenarioHandover::Close() {
  std::lock_guard lock(m_Mutex);
  m_Open = false;
  m_Changed.notify_all();
}
