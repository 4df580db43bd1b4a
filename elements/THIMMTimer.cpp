#include "THIMMTimer.h"

THIMMTimer::THIMMTimer(std::chrono::milliseconds interval)
    : interval_(interval.count() > 0 ? Clock::duration(interval) : Clock::duration(std::chrono::milliseconds(1))) {}

void THIMMTimer::end() noexcept {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    running_ = false;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void THIMMTimer::start() {
  {
    std::lock_guard lock(mutex_);
    if (running_ || quit_) return;
    running_ = true;
    phase_ = Clock::now();
    ++generation_;
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  }
  wake_.notify_all();
}

void THIMMTimer::stop() {
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  wake_.notify_all();
}

bool THIMMTimer::isRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void THIMMTimer::run() {
  std::unique_lock lock(mutex_);
  while (!quit_) {
    if (!running_) {
      wake_.wait(lock, [this] { return quit_ || running_; });
      continue;
    }
    const std::uint64_t generation = generation_;
    const Clock::time_point phase = phase_;
    Clock::time_point due = phase + interval_;
    while (!quit_ && running_ && generation_ == generation) {
      if (wake_.wait_until(lock, due, [&] { return quit_ || !running_ || generation_ != generation; }))
        break;
      lock.unlock();
      onTimer.fire(TData());
      lock.lock();
      // Ticks that fell due during the handling are skipped; the next one keeps the phase.
      const Clock::time_point now = Clock::now();
      const auto elapsed = now - phase;
      due = phase + (elapsed / interval_ + 1) * interval_;
    }
  }
}
