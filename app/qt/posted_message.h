// Carrying message records into the main window's Qt event queue.
#pragma once

#include <QEvent>
#include <QObject>
#include <memory>
#include <mutex>

#include "platform/message.h"

class PostedMessageEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  explicit PostedMessageEvent(Message message) : QEvent(EventType()), message(std::move(message)) {}
  Message message;
};

// Posts into one QObject's queue from any thread, and drops the records
// once the receiver is gone (monitor threads may outlive the main window at
// exit).
class QueuePoster : public MessagePoster {
 public:
  explicit QueuePoster(QObject* receiver) : m_State(std::make_shared<State>(receiver)) {}
  void Post(Message message) override;
  // Called by the receiver before it is destroyed.
  void Detach();

 private:
  struct State {
    explicit State(QObject* r) : receiver(r) {}
    std::mutex mutex;
    QObject* receiver;
  };
  std::shared_ptr<State> m_State;
};
