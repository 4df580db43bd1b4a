#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/UiUpdateQueue.h"

namespace {

using Policy = UiUpdateQueue::Policy;

// A queue whose UI thread is the test's thread; the applied updates are written down in order.
struct QueueRig {
  std::atomic<int> wakes{0};
  std::vector<std::string> applied;
  UiUpdateQueue queue{std::this_thread::get_id(), [this] { ++wakes; }};
  int textSetter = 0, listOwner = 0;  // their addresses name two controls

  UiUpdateQueue::Apply record(std::string what) {
    return [this, what](const TData& v) { applied.push_back(what + ":" + v.toStr()); };
  }
  void setText(const std::string& text) {
    queue.run(&textSetter, 0, Policy::KeepLatest, TData(text), record("text"));
  }
  void addEntry(const std::string& entry) {
    queue.run(&listOwner, 0, Policy::KeepAll, TData(entry), record("add"));
  }
  // Runs `calls` on a second thread and waits for it.
  template <typename Calls>
  void fromWorker(Calls calls) {
    std::thread worker(calls);
    worker.join();
  }
};

TEST(UiUpdateQueueTest, OtherThreadsQueueInCallOrderKeepingEveryEntryAndOnlyTheLatestSetting) {
  QueueRig rig;
  rig.fromWorker([&] {
    rig.addEntry("COM1");
    rig.setText("a");
    rig.setText("b");  // replaces "a", still pending at the back
    rig.addEntry("COM2");
    rig.setText("c");  // supersedes "b" and takes its place in call order, after COM2
    rig.addEntry("COM3");
  });
  EXPECT_TRUE(rig.applied.empty()) << "nothing is applied off the UI thread";
  EXPECT_EQ(rig.wakes, 1) << "one wake for the step from empty to non-empty";
  rig.queue.drain();
  EXPECT_EQ(rig.applied, (std::vector<std::string>{"add:COM1", "add:COM2", "text:c", "add:COM3"}));

  rig.fromWorker([&] { rig.setText("d"); });
  EXPECT_EQ(rig.wakes, 2) << "an emptied queue wakes again";
}

TEST(UiUpdateQueueTest, TheUiThreadAppliesAtOnceAfterWhatOthersLeftPending) {
  QueueRig rig;
  rig.fromWorker([&] { rig.setText("from worker"); });
  rig.addEntry("COM1");
  EXPECT_EQ(rig.applied, (std::vector<std::string>{"text:from worker", "add:COM1"}));
}

TEST(UiUpdateQueueTest, AnUpdateThatCausesAnotherOnTheUiThreadKeepsTheOrderOfThePending) {
  QueueRig rig;
  int causer = 0;
  rig.fromWorker([&] {
    rig.queue.run(&causer, 0, Policy::KeepAll, TData(), [&](const TData&) {
      rig.applied.push_back("first");
      rig.addEntry("caused");  // on the UI thread, while "second" is still pending
    });
    rig.addEntry("second");
  });
  rig.queue.drain();
  EXPECT_EQ(rig.applied, (std::vector<std::string>{"first", "add:second", "add:caused"}));
}

TEST(UiUpdateQueueTest, ForgottenAndShutDownUpdatesAreDropped) {
  QueueRig rig;
  rig.fromWorker([&] {
    rig.setText("dropped");
    rig.addEntry("COM1");
  });
  rig.queue.forget(&rig.textSetter);
  rig.queue.drain();
  EXPECT_EQ(rig.applied, (std::vector<std::string>{"add:COM1"}));

  rig.queue.shutDown();
  rig.fromWorker([&] { rig.addEntry("late"); });
  rig.queue.drain();
  EXPECT_EQ(rig.applied.size(), 1u);
  EXPECT_EQ(rig.wakes, 1);
}

TEST(UiUpdateQueueTest, AHighRateSetterFromAWorkerStaysOneEntryWhileTheUiThreadDrains) {
  QueueRig rig;
  constexpr int kChanges = 100000;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    for (int i = 1; i <= kChanges; ++i) rig.setText(std::to_string(i));
    finished = true;
  });
  while (!finished) rig.queue.drain();
  worker.join();
  rig.queue.drain();
  ASSERT_FALSE(rig.applied.empty());
  EXPECT_EQ(rig.applied.back(), "text:" + std::to_string(kChanges));
  // Whatever was applied came in rising order: a newer value never goes before an older one.
  for (std::size_t i = 1; i < rig.applied.size(); ++i)
    EXPECT_LT(std::stoi(rig.applied[i - 1].substr(5)), std::stoi(rig.applied[i].substr(5)));
}

}  // namespace
