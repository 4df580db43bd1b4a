#include "UiUpdateQueue.h"

UiUpdateQueue::UiUpdateQueue(std::thread::id uiThread, std::function<void()> wake)
    : uiThread_(uiThread), wake_(std::move(wake)) {}

void UiUpdateQueue::run(const void* owner, int operation, Policy policy, const TData& value,
                        Apply apply) {
  if (!onUiThread()) {
    post(owner, operation, policy, value, std::move(apply));
    return;
  }
  drain();
  apply(value);
}

void UiUpdateQueue::post(const void* owner, int operation, Policy policy, const TData& value,
                         Apply apply) {
  std::lock_guard lock(mutex_);
  if (!wake_) return;  // shut down
  const bool wasEmpty = pending_.empty();
  const Key key{owner, operation};
  if (policy == Policy::KeepLatest) {
    if (auto found = latest_.find(key); found != latest_.end()) {
      Pending& older = pendingWithSequence(found->second);
      if (&older == &pending_.back()) {
        older.value = value;  // nothing was called after it: just take the newer value
        return;
      }
      older.apply = nullptr;  // superseded; the newer value goes to the back, in call order
    }
  }
  pending_.push_back(Pending{owner, operation, policy, value, std::move(apply), nextSequence_});
  if (policy == Policy::KeepLatest) latest_[key] = nextSequence_;
  ++nextSequence_;
  // Woken under the lock, so that shutDown() cannot let the receiver go while a wake is under way.
  if (wasEmpty) wake_();
}

void UiUpdateQueue::drain() {
  Pending next;
  while (takeNext(next)) next.apply(next.value);
}

bool UiUpdateQueue::hasPending() {
  std::lock_guard lock(mutex_);
  return !pending_.empty();
}

bool UiUpdateQueue::takeNext(Pending& next) {
  std::lock_guard lock(mutex_);
  while (!pending_.empty()) {
    Pending front = std::move(pending_.front());
    pending_.pop_front();
    if (!front.apply) continue;
    if (front.policy == Policy::KeepLatest) latest_.erase(Key{front.owner, front.operation});
    next = std::move(front);
    return true;
  }
  return false;
}

void UiUpdateQueue::forget(const void* owner) {
  std::lock_guard lock(mutex_);
  for (Pending& entry : pending_)
    if (entry.owner == owner) entry.apply = nullptr;
  std::erase_if(latest_, [owner](const auto& item) { return item.first.first == owner; });
}

void UiUpdateQueue::shutDown() {
  std::lock_guard lock(mutex_);
  wake_ = nullptr;
  pending_.clear();
  latest_.clear();
}

UiUpdateQueue::Pending& UiUpdateQueue::pendingWithSequence(std::uint64_t sequence) {
  return pending_[static_cast<std::size_t>(sequence - pending_.front().sequence)];
}
