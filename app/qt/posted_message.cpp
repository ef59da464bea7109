#include "app/qt/posted_message.h"

#include <QCoreApplication>

QEvent::Type PostedMessageEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void QueuePoster::Post(Message message) {
  std::lock_guard lock(m_State->mutex);
  if (m_State->receiver != nullptr) {
    // postEvent is thread-safe and never blocks; the queue owns the event.
    QCoreApplication::postEvent(m_State->receiver, new PostedMessageEvent(std::move(message)));
  }
}

void QueuePoster::Detach() {
  std::lock_guard lock(m_State->mutex);
  m_State->receiver = nullptr;
}
