#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "elements/THICounter.h"
#include "elements/THIDoData.h"
#include "elements/THIEventFromData.h"
#include "elements/THIHub.h"
#include "elements/THIIf_else.h"
#include "elements/THISleep.h"
#include "elements/THISwitch.h"

namespace {

// Records what reaches it, as "name:value" lines.
struct Recorder {
  std::vector<std::string> lines;
  WorkPoint point(std::string name) {
    return [this, name](const TData& v) { lines.push_back(name + ":" + v.toStr()); };
  }
};

TEST(PointsTest, EventsAndDataLinksFollowTheDispatchSwitch) {
  Recorder rec;
  Event event;
  event.link(rec.point("a"));
  DataLink unlinked, linked;
  linked.link([] { return TData(5); });
  {
    dispatch::ScopedSwitch off(false);
    event.fire(TData(1));
    EXPECT_FALSE(unlinked.read().has_value());
    ASSERT_TRUE(linked.read().has_value());
    EXPECT_TRUE(linked.read()->isEmpty());
  }
  dispatch::ScopedSwitch on(true);
  event.fire(TData(2));
  EXPECT_FALSE(unlinked.read().has_value());
  EXPECT_EQ(linked.read()->toInt(), 5);
  EXPECT_EQ(rec.lines, std::vector<std::string>{"a:2"});
}

TEST(HubTest, OutputsInIndexOrderEachChainFinishedFirst) {
  dispatch::ScopedSwitch on(true);
  Recorder rec;
  THIHub outer(2), inner(2);
  outer.output(0).link(workPoint(&inner, &THIHub::doEvent));
  outer.output(1).link(rec.point("outer1"));
  inner.output(0).link(rec.point("inner0"));
  inner.output(1).link(rec.point("inner1"));
  outer.doEvent(TData("x"));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"inner0:x", "inner1:x", "outer1:x"}));
}

TEST(DoDataTest, FixedValueOrLinkedValue) {
  dispatch::ScopedSwitch on(true);
  Recorder rec;
  THIDoData sender(TData(1));
  sender.onEventData.link(rec.point("out"));
  sender.doData(TData("ignored"));
  THIEventFromData gate;
  sender.data.link(dataPoint(&gate, &THIEventFromData::value));
  sender.doData(TData(9));  // the gate still holds the empty value
  gate.doData(TData(0));
  sender.doData(TData(9));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"out:1", "out:", "out:0"}));
}

TEST(SwitchAndIfElseTest, DoneSwitchGatesTheErrorCheck) {
  dispatch::ScopedSwitch on(true);
  Recorder rec;
  THISwitch done;
  THIIf_else check(TData(0));
  check.firstOperand.link(dataPoint(&done, &THISwitch::value));
  done.onSwitch.link(rec.point("switch"));
  check.onTrue.link(rec.point("true"));
  check.onFalse.link(rec.point("false"));
  check.doCompare(TData("A1"));
  done.doSwitch(TData("ignored"));
  check.doCompare(TData(3));
  done.doSwitch(TData());
  check.doCompare(TData(3));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"true:A1", "switch:1", "false:3", "switch:0", "true:3"}));
}

TEST(IfElseTest, EqualityByValue) {
  const std::tuple<TData, TData, bool> cases[] = {
      {TData(0), TData(0), true},   {TData(1), TData(0), false}, {TData("0"), TData(0), true},
      {TData("a"), TData("a"), true}, {TData("a"), TData("b"), false}, {TData(), TData(), true},
      {TData(), TData(0), false},   {TData(2.0), TData(2), true},
  };
  for (const auto& [a, b, equal] : cases) EXPECT_EQ(equalByValue(a, b), equal) << a.toStr() << " " << b.toStr();
}

TEST(CounterTest, WrapsPastTheMaximum) {
  THICounter counter(0, 2);
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) seen.push_back(counter.next());
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1, 2}));
  counter.reset();
  EXPECT_EQ(counter.count(), 0);
}

TEST(SleepTest, HoldsMoreThanTheDelayThenFiresOnTheSameThread) {
  dispatch::ScopedSwitch on(true);
  THISleep sleep(std::chrono::microseconds(20'000));
  std::thread::id firedOn;
  sleep.onSleep.link([&](const TData&) { firedOn = std::this_thread::get_id(); });
  const auto start = std::chrono::steady_clock::now();
  sleep.doSleep(TData(1));
  EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::microseconds(20'000));
  EXPECT_EQ(firedOn, std::this_thread::get_id());
}

}  // namespace
