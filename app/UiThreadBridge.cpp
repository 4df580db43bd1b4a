#include "UiThreadBridge.h"

#include <chrono>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

namespace {

// The least time between two drains that a wake starts. The checksum text changes once per byte
// sent; drained as fast as the UI thread can, every change would be applied and repainted, taking
// a core from the receive thread and making it post a wake per change. Paced, the window still
// shows the latest value well within a screen refresh.
constexpr std::chrono::milliseconds kDrainInterval{10};

QEvent::Type wakeEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// Lives on the UI thread; a wake event drains the queue at once, or, when the last drain it
// started was less than kDrainInterval ago, at the end of that interval. While a drain is due the
// queue is not empty, so no further wake is posted meanwhile.
class WakeReceiver : public QObject {
 public:
  using Clock = std::chrono::steady_clock;

  WakeReceiver() {
    pacer_.setSingleShot(true);
    pacer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pacer_, &QTimer::timeout, this, [this] { drainNow(); });
  }

  void setQueue(UiUpdateQueue* queue) { queue_ = queue; }

  bool event(QEvent* event) override {
    // A wake event is made on the posting thread and handed over by Qt's own locks, which TSan
    // cannot see (Debian's Qt is not built for it). It is posted under the queue's lock, so taking
    // that lock first orders the reading of the event after its making.
    const bool pending = queue_ && queue_->hasPending();
    if (event->type() != wakeEventType()) return QObject::event(event);
    if (!pending || pacer_.isActive()) return true;  // drained meanwhile, or a drain is due already
    const Clock::duration sinceLast = Clock::now() - lastDrain_;
    if (sinceLast >= kDrainInterval)
      drainNow();
    else
      pacer_.start(std::chrono::ceil<std::chrono::milliseconds>(kDrainInterval - sinceLast));
    return true;
  }

 private:
  void drainNow() {
    lastDrain_ = Clock::now();
    if (queue_) queue_->drain();
  }

  UiUpdateQueue* queue_ = nullptr;
  QTimer pacer_;
  Clock::time_point lastDrain_{};
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
