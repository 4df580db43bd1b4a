#pragma once
// Periodic timer with its own phase: once started at t0 it ticks at t0 + k * interval until stopped.
// A tick that falls due while the previous one is still being handled is skipped. It never stops by
// itself. stop() only flags and wakes, it never waits for the timer thread, so it may be called from
// anywhere, a tick handler included; the destructor ends and joins the thread.
// Threads: start()/stop()/isRunning() on any thread; onTimer fires on the timer's own thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "Points.h"

class THIMMTimer {
 public:
  explicit THIMMTimer(std::chrono::milliseconds interval);
  // Must not be called from a tick handler, nor while holding a lock that a tick handler takes.
  ~THIMMTimer() noexcept { end(); }
  THIMMTimer(const THIMMTimer&) = delete;
  THIMMTimer& operator=(const THIMMTimer&) = delete;

  // Starts ticking with a new phase from now; while already running nothing changes.
  void start();
  // Stops ticking; a tick already being handled runs on.
  void stop();
  bool isRunning() const;
  // Stops ticking for good and waits until a tick being handled has finished; a later start()
  // does nothing. Idempotent; the same restrictions as the destructor.
  void end() noexcept;

  Event onTimer;

 private:
  using Clock = std::chrono::steady_clock;

  void run();

  const Clock::duration interval_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;
  bool quit_ = false;
  std::uint64_t generation_ = 0;  // changes at every start from stopped: the loop takes the new phase
  Clock::time_point phase_{};
  std::thread thread_;  // started at the first start(), kept until destruction
};
