#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <QCoreApplication>

#include "app/UiThreadBridge.h"

namespace {

using namespace std::chrono_literals;

bool processEventsUntil(const std::function<bool()>& condition, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Drains are paced: an update that comes right after a drain waits for the next one. Each update
// here comes right after the drain that applied the one before, so every one of them takes the
// paced path; none may be left behind in the queue.
TEST(UiThreadBridgeTest, AnUpdateRightAfterADrainIsStillApplied) {
  UiThreadBridge bridge;
  int owner = 0;
  std::string shown;  // UI thread only
  for (int i = 0; i < 20; ++i) {
    const std::string value = std::to_string(i);
    std::thread([&] {
      bridge.queue().run(&owner, 0, UiUpdateQueue::Policy::KeepLatest, TData(value),
                         [&](const TData& v) { shown = v.toStr(); });
    }).join();
    ASSERT_TRUE(processEventsUntil([&] { return shown == value; }, 5s)) << "update " << i << " never applied";
  }
}

// A burst from another thread ends with its latest value on screen, whatever the drains took.
TEST(UiThreadBridgeTest, TheLastOfABurstArrives) {
  UiThreadBridge bridge;
  int owner = 0;
  std::string shown;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 2000; ++i) {
      bridge.queue().run(&owner, 0, UiUpdateQueue::Policy::KeepLatest, TData(std::to_string(i)),
                         [&](const TData& v) { shown = v.toStr(); });
      if (i % 100 == 0) std::this_thread::sleep_for(1ms);
    }
    done = true;
  });
  const bool arrived = processEventsUntil([&] { return done && shown == "1999"; }, 10s);
  worker.join();
  EXPECT_TRUE(arrived) << "shown: " << shown;
}

}  // namespace
