#include "app/win32/window_poster.h"

WindowPoster::WindowPoster() : m_State(std::make_shared<State>()) {}

void WindowPoster::Attach(HWND window) {
  std::lock_guard lock(m_State->mutex);
  m_State->window = window;
}

void WindowPoster::Detach() {
  std::lock_guard lock(m_State->mutex);
  m_State->window = nullptr;
  m_State->queued.clear();
}

void WindowPoster::Post(Message message) {
  std::lock_guard lock(m_State->mutex);
  if (m_State->window == nullptr) return;
  if (!message.broadcast) {
    PostMessageW(m_State->window, message.msg, message.wParam, message.lParam);
    return;
  }
  m_State->queued.push_back(std::move(message));
  // A record whose message the system refused (a full queue) would be taken
  // by the next record's message, and every later one a message late.
  if (!PostMessageW(m_State->window, kDrainMessage, 0, 0)) m_State->queued.pop_back();
}

std::optional<Message> WindowPoster::TakeNext() {
  std::lock_guard lock(m_State->mutex);
  if (m_State->queued.empty()) return std::nullopt;
  Message next = std::move(m_State->queued.front());
  m_State->queued.pop_front();
  return next;
}
