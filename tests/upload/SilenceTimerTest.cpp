#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "elements/THIMMTimer.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Tick times and threads, waited on with generous deadlines.
class TickLog {
 public:
  void record() {
    std::lock_guard lock(mutex_);
    times_.push_back(Clock::now());
    threads_.push_back(std::this_thread::get_id());
    changed_.notify_all();
  }
  bool waitForTicks(std::size_t count, milliseconds timeout = milliseconds(20000)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return times_.size() >= count; });
  }
  std::vector<Clock::time_point> times() {
    std::lock_guard lock(mutex_);
    return times_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  std::size_t count() {
    std::lock_guard lock(mutex_);
    return times_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Clock::time_point> times_;
  std::vector<std::thread::id> threads_;
};

class SilenceTimerTest : public ::testing::Test {
 protected:
  dispatch::ScopedSwitch on{true};
  TickLog log;
};

TEST_F(SilenceTimerTest, TicksOnItsOwnThreadNeverBeforeStartPlusKIntervals) {
  const milliseconds interval(20);
  THIMMTimer timer(interval);
  timer.onTimer.link([this](const TData&) { log.record(); });
  const auto start = Clock::now();
  timer.start();
  ASSERT_TRUE(log.waitForTicks(5));
  timer.stop();
  const auto times = log.times();
  for (std::size_t k = 0; k < 5; ++k) EXPECT_GE(times[k], start + (k + 1) * interval) << "tick " << k + 1;
  for (auto id : log.threads()) EXPECT_NE(id, std::this_thread::get_id());
}

TEST_F(SilenceTimerTest, TicksFallingDueDuringAHandlerAreSkippedNotCaughtUp) {
  const milliseconds interval(40);
  THIMMTimer timer(interval);
  std::atomic<int> calls{0};
  timer.onTimer.link([&](const TData&) {
    if (calls++ == 0) std::this_thread::sleep_for(interval * 7 / 2);  // first tick ends at ~4.5 intervals
    log.record();
  });
  const auto start = Clock::now();
  timer.start();
  ASSERT_TRUE(log.waitForTicks(2));
  timer.stop();
  // The ticks due at 2, 3 and 4 intervals fell inside the first handler; the next one keeps the
  // phase at 5 intervals.
  EXPECT_GE(log.times()[1], start + 5 * interval);
}

TEST_F(SilenceTimerTest, StartWhileRunningKeepsThePhase) {
  const milliseconds interval(80);
  THIMMTimer timer(interval);
  timer.onTimer.link([this](const TData&) { log.record(); });
  timer.start();
  // Restarting the phase at every call would keep every tick from coming.
  const auto until = Clock::now() + 6 * interval;
  while (Clock::now() < until) {
    timer.start();
    std::this_thread::sleep_for(interval / 4);
  }
  EXPECT_GE(log.count(), 2u);
}

TEST_F(SilenceTimerTest, StopFromInsideAHandlerEndsTheTicks) {
  const milliseconds interval(10);
  THIMMTimer timer(interval);
  timer.onTimer.link([&](const TData&) {
    log.record();
    if (log.count() == 2) timer.stop();
  });
  timer.start();
  ASSERT_TRUE(log.waitForTicks(2));
  std::this_thread::sleep_for(10 * interval);
  EXPECT_EQ(log.count(), 2u);
  EXPECT_FALSE(timer.isRunning());
}

TEST_F(SilenceTimerTest, StopDoesNotWaitForATickThatWaitsForTheStoppersLock) {
  const milliseconds interval(10);
  THIMMTimer timer(interval);
  std::mutex unitLock;
  std::atomic<bool> tickWaiting{false};
  timer.onTimer.link([&](const TData&) {
    tickWaiting = true;
    std::lock_guard lock(unitLock);
    log.record();
  });
  {
    std::lock_guard lock(unitLock);
    timer.start();
    while (!tickWaiting) std::this_thread::sleep_for(milliseconds(1));
    timer.stop();  // must return although the tick in progress waits for unitLock
  }
  ASSERT_TRUE(log.waitForTicks(1));
  std::this_thread::sleep_for(10 * interval);
  EXPECT_EQ(log.count(), 1u);
}

TEST_F(SilenceTimerTest, StartAfterStopTicksAgain) {
  const milliseconds interval(10);
  THIMMTimer timer(interval);
  timer.onTimer.link([this](const TData&) { log.record(); });
  timer.start();
  ASSERT_TRUE(log.waitForTicks(1));
  timer.stop();
  const auto stoppedAt = log.count();
  timer.start();
  EXPECT_TRUE(log.waitForTicks(stoppedAt + 2));
}

// A handler that takes 50 ms, started and waited for until a tick is inside it.
struct SlowTick {
  std::atomic<bool> entered{false};
  std::atomic<bool> finished{false};

  void startInside(THIMMTimer& timer, TickLog& log) {
    timer.onTimer.link([this, &log](const TData&) {
      entered = true;
      std::this_thread::sleep_for(milliseconds(50));
      finished = true;
      log.record();
    });
    timer.start();
    while (!entered) std::this_thread::sleep_for(milliseconds(1));
  }
};

TEST_F(SilenceTimerTest, DestructorWaitsForTheTickInProgress) {
  SlowTick tick;
  {
    THIMMTimer timer(milliseconds(5));
    tick.startInside(timer, log);
  }
  EXPECT_TRUE(tick.finished);
}

TEST_F(SilenceTimerTest, EndWaitsForTheTickInProgressAndNoStartRevivesIt) {
  SlowTick tick;
  THIMMTimer timer(milliseconds(5));
  tick.startInside(timer, log);
  timer.end();
  EXPECT_TRUE(tick.finished);
  const std::size_t ticks = log.count();
  timer.start();
  EXPECT_FALSE(timer.isRunning());
  std::this_thread::sleep_for(milliseconds(30));
  EXPECT_EQ(log.count(), ticks);
  timer.end();  // again: nothing left to wait for
}

TEST_F(SilenceTimerTest, NeverStartedTimerIsDestroyedAtOnce) {
  THIMMTimer timer(milliseconds(1000));
  timer.stop();
  EXPECT_FALSE(timer.isRunning());
}

}  // namespace
