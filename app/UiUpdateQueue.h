#pragma once
// The hand-over of control updates to the UI thread. A call on the UI thread applies at once,
// after everything other threads left pending; a call from another thread is queued in call order
// and never waits for the UI thread. A setter keeps only its latest value per control, an added
// entry is never dropped. The queue itself knows nothing of Qt: `wake` is how the UI thread is
// told that work is waiting, and is called only when the queue goes from empty to non-empty.
//
// Threads: run() and forget() from any thread; drain() and the updates themselves on the UI thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "elements/TData.h"

class UiUpdateQueue {
 public:
  using Apply = std::function<void(const TData&)>;
  enum class Policy {
    KeepLatest,  // a setter: a newer value replaces a pending one of the same control and operation
    KeepAll,     // e.g. adding an entry: every call is applied
  };

  UiUpdateQueue(std::thread::id uiThread, std::function<void()> wake);
  ~UiUpdateQueue() noexcept = default;
  UiUpdateQueue(const UiUpdateQueue&) = delete;
  UiUpdateQueue& operator=(const UiUpdateQueue&) = delete;

  bool onUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // `owner` and `operation` together name the setter for KeepLatest.
  void run(const void* owner, int operation, Policy policy, const TData& value, Apply apply);
  // Applies everything pending, one update at a time, including what arrives meanwhile.
  void drain();
  // Whether anything waits to be applied. Taking the queue's lock also orders what the caller does
  // next after every wake made so far (a wake runs under that lock).
  bool hasPending();
  // Drops the pending updates of a control that is going away.
  void forget(const void* owner);
  // No more wake-ups and nothing pending from here on (the UI side is being torn down).
  void shutDown();

 private:
  struct Pending {
    const void* owner = nullptr;
    int operation = 0;
    Policy policy = Policy::KeepAll;
    TData value;
    Apply apply;  // empty once superseded or forgotten
    std::uint64_t sequence = 0;
  };
  using Key = std::pair<const void*, int>;

  void post(const void* owner, int operation, Policy policy, const TData& value, Apply apply);
  bool takeNext(Pending& next);
  Pending& pendingWithSequence(std::uint64_t sequence);

  const std::thread::id uiThread_;
  std::mutex mutex_;
  std::function<void()> wake_;
  std::deque<Pending> pending_;          // sequences are consecutive from front to back
  std::map<Key, std::uint64_t> latest_;  // the live pending entry of each KeepLatest setter
  std::uint64_t nextSequence_ = 0;
};
