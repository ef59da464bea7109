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
  PostMessageW(m_State->window, kDrainMessage, 0, 0);
}

std::optional<Message> WindowPoster::TakeOldest() {
  std::lock_guard lock(m_State->mutex);
  if (m_State->queued.empty()) return std::nullopt;
  Message oldest = std::move(m_State->queued.front());
  m_State->queued.pop_front();
  return oldest;
}
