#include "UiThreadBridge.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

QEvent::Type wakeEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// Lives on the UI thread; each wake event drains the queue.
class WakeReceiver : public QObject {
 public:
  void setQueue(UiUpdateQueue* queue) { queue_ = queue; }

  bool event(QEvent* event) override {
    if (event->type() != wakeEventType()) return QObject::event(event);
    if (queue_) queue_->drain();
    return true;
  }

 private:
  UiUpdateQueue* queue_ = nullptr;
};

}  // namespace

UiThreadBridge::UiThreadBridge() {
  auto receiver = std::make_unique<WakeReceiver>();
  QObject* target = receiver.get();
  queue_ = std::make_unique<UiUpdateQueue>(std::this_thread::get_id(), [target] {
    // A plain QEvent: nothing of ours is written into it on the posting thread.
    QCoreApplication::postEvent(target, new QEvent(wakeEventType()));
  });
  receiver->setQueue(queue_.get());
  receiver_ = std::move(receiver);
}

UiThreadBridge::~UiThreadBridge() noexcept {
  queue_->shutDown();
  receiver_.reset();  // drops a wake event that may still be posted to it
}
