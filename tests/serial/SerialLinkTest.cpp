// The serial port element on real pseudo terminals: the test holds the master side as the
// device's end of the line.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "SerialRig.h"
#include "TerminalState.h"
#include "elements/THIEventFromData.h"
#include "serial/THIComAsync.h"
#include "tools/PseudoTerminal.h"

namespace {

// The element as the main window wires it: the name from a value holder, every event recorded.
class SerialLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    tree_.addEntry("ttyUSB0", pty_.slavePath());
    catalog_ = tree_.catalog();
    makeElement();
  }
  void makeElement() {
    com_ = std::make_unique<THIComAsync>(catalog_);
    com_->PortName.link(dataPoint(&selected_, &THIEventFromData::value));
    com_->onOpenResult.link(results_.point());
    com_->onSent.link(sent_.point());
    com_->onReceived.link(chunks_.point());
  }
  // A pick in the port list: close, remember the name, open.
  void pick(const std::string& name) {
    com_->doClosePort(TData());
    selected_.doData(TData(name));
    com_->doOpenPort(TData());
  }
  int master() const { return pty_.masterFd(); }

  dispatch::ScopedSwitch dispatchOn_{true};
  PseudoTerminal pty_;
  PreparedTree tree_;
  std::shared_ptr<PortCatalog> catalog_;
  THIEventFromData selected_;
  Recorder results_, sent_, chunks_;
  std::unique_ptr<THIComAsync> com_;  // last: goes before everything it uses
};

std::string joined(const std::vector<std::string>& parts) {
  std::string all;
  for (const auto& part : parts) all += part;
  return all;
}

TEST_F(SerialLinkTest, OpenSetsTheLineExactlyAndReadsItBack) {
  ASSERT_TRUE(makeCooked(pty_.slavePath()));
  pick("COM1");
  ASSERT_EQ(results_.numbers(), std::vector<int>{1});
  const auto state = terminalStateOf(pty_.slavePath());
  ASSERT_TRUE(state.has_value());
  EXPECT_TRUE(state->exactSpeed);
  EXPECT_EQ(state->inputSpeed, 38462u);
  EXPECT_EQ(state->outputSpeed, 38462u);
  EXPECT_EQ(state->dataBits, 8);
  EXPECT_FALSE(state->parity);
  EXPECT_FALSE(state->twoStopBits);
  EXPECT_FALSE(state->hardwareFlow);
  EXPECT_FALSE(state->softwareFlow);
  EXPECT_TRUE(state->receiverOn);
  EXPECT_TRUE(state->modemStatusIgnored);
  EXPECT_FALSE(state->inputTranslated);
  EXPECT_FALSE(state->outputProcessed);
  EXPECT_FALSE(state->lineDiscipline);
  EXPECT_EQ(state->vmin, 0);
  EXPECT_EQ(state->vtime, 0);
}

TEST_F(SerialLinkTest, EveryByteValuePassesUnchangedBothWays) {
  pick("COM1");
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  com_->doSend(TData(all));
  EXPECT_EQ(readFromMaster(master(), all.size()), all);
  EXPECT_EQ(sent_.numbers(), std::vector<int>{256});

  writeToMaster(master(), all);
  std::string received;
  for (std::size_t n = 1; received.size() < all.size() && chunks_.waitForCount(n); ++n) received = joined(chunks_.texts());
  EXPECT_EQ(received, all);
}

struct SendCase {
  const char* label;
  bool open;
  TData value;
  std::string onLine;
  std::vector<int> sentEvents;
};

class SendTest : public SerialLinkTest, public testing::WithParamInterface<SendCase> {};

TEST_P(SendTest, WritesTheTextFormAsOneWrite) {
  const SendCase& c = GetParam();
  if (c.open) pick("COM1");
  com_->doSend(c.value);
  if (c.onLine.empty())
    EXPECT_EQ(readUntilQuiet(master()), "");
  else
    EXPECT_EQ(readFromMaster(master(), c.onLine.size()), c.onLine);
  EXPECT_EQ(sent_.numbers(), c.sentEvents);
}

INSTANTIATE_TEST_SUITE_P(Values, SendTest,
                         testing::Values(SendCase{"integer", true, TData(42), "42", {2}},
                                         SendCase{"negative", true, TData(-7), "-7", {2}},
                                         SendCase{"text", true, TData("VERS"), "VERS", {4}},
                                         SendCase{"emptyText", true, TData(""), "", {0}},
                                         SendCase{"emptyValue", true, TData(), "", {0}},
                                         SendCase{"whileClosed", false, TData(42), "", {}}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SerialLinkTest, AReplyInTwoPartsArrivesAsTwoChunks) {
  pick("COM1");
  writeToMaster(master(), "TARVEN");
  ASSERT_TRUE(chunks_.waitForCount(1));
  writeToMaster(master(), "MOLIX 1");
  ASSERT_TRUE(chunks_.waitForCount(2));
  EXPECT_EQ(chunks_.texts(), (std::vector<std::string>{"TARVEN", "MOLIX 1"}));
}

TEST_F(SerialLinkTest, RepickingTheOpenPortClosesAndReopensIt) {
  pick("COM1");
  com_->doOpenPort(TData());  // already open: nothing, not even a result
  EXPECT_EQ(results_.numbers(), std::vector<int>{1});
  pick("com1");
  EXPECT_EQ(results_.numbers(), (std::vector<int>{1, 1}));
  EXPECT_EQ(com_->currentPortName(), "com1");
  com_->doSend(TData("VERS"));
  EXPECT_EQ(readFromMaster(master(), 4), "VERS");
  writeToMaster(master(), "ok");
  ASSERT_TRUE(chunks_.waitForCount(1));
  EXPECT_EQ(chunks_.texts(), std::vector<std::string>{"ok"});
}

TEST_F(SerialLinkTest, KeepsItsOwnLockFileWhileOpenAndLetsGoAtClose) {
  const std::string lockFile = tree_.lockFilePath("ttyUSB0");
  pick("COM1");
  std::ifstream file(lockFile);
  int owner = 0;
  ASSERT_TRUE(file >> owner) << lockFile;
  EXPECT_EQ(owner, ::getpid());
  EXPECT_EQ(SerialBackend::tryOpen(tree_.devicePath("ttyUSB0"), catalog_->lockDirectories()), PortError::Busy);

  com_.reset();  // destruction closes a port still open
  EXPECT_NE(::access(lockFile.c_str(), F_OK), 0);
  EXPECT_EQ(SerialBackend::tryOpen(tree_.devicePath("ttyUSB0"), catalog_->lockDirectories()), PortError::None);
}

enum class Holder { ChildProcessLock, OtherDescriptorLock, LiveLockFile, StaleLockFile };

struct HeldCase {
  const char* label;
  Holder holder;
  bool holds;
};

class HeldPortTest : public SerialLinkTest, public testing::WithParamInterface<HeldCase> {
 protected:
  void hold() {
    const std::string device = tree_.devicePath("ttyUSB0");
    switch (GetParam().holder) {
      case Holder::ChildProcessLock: helper_.emplace(HelperProcess::holdingLockOn(device)); break;
      case Holder::OtherDescriptorLock:
        descriptor_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_EQ(::flock(descriptor_, LOCK_EX | LOCK_NB), 0);
        break;
      case Holder::LiveLockFile:
        helper_.emplace(HelperProcess::idle());
        tree_.writeLockFile("ttyUSB0", helper_->pid());
        break;
      case Holder::StaleLockFile: tree_.writeLockFile("ttyUSB0", HelperProcess::endedProcessId()); break;
    }
  }
  void letGo() {
    helper_.reset();
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    ::unlink(tree_.lockFilePath("ttyUSB0").c_str());
  }
  void TearDown() override { letGo(); }

  std::optional<HelperProcess> helper_;
  int descriptor_ = -1;
};

TEST_P(HeldPortTest, AHeldPortIsNotListedAndDoesNotOpen) {
  const bool holds = GetParam().holds;
  ASSERT_EQ(catalog_->ports().size(), 1u);  // listed while free
  hold();

  // Held at listing: missing from a fresh catalog.
  EXPECT_EQ(tree_.catalog()->ports().size(), holds ? 0u : 1u);
  // Taken after listing: the pick reports 0 and leaves the element closed.
  pick("COM1");
  EXPECT_EQ(results_.numbers(), std::vector<int>{holds ? 0 : 1});
  EXPECT_EQ(com_->isOpen(), !holds);

  // Once the other program lets go, the port opens again.
  com_->doClosePort(TData());
  letGo();
  pick("COM1");
  EXPECT_EQ(results_.numbers().back(), 1);
}

INSTANTIATE_TEST_SUITE_P(Holders, HeldPortTest,
                         testing::Values(HeldCase{"childProcessLock", Holder::ChildProcessLock, true},
                                         HeldCase{"otherDescriptorLock", Holder::OtherDescriptorLock, true},
                                         HeldCase{"liveLockFile", Holder::LiveLockFile, true},
                                         HeldCase{"staleLockFile", Holder::StaleLockFile, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SerialLinkTest, NoDeliveryAfterCloseReturns) {
  std::atomic<bool> closeReturned{false};
  std::atomic<int> lateDeliveries{0};
  com_->onReceived.link([&](const TData&) {
    if (closeReturned.load()) ++lateDeliveries;
    std::this_thread::sleep_for(1ms);  // widens the window in which a stop could be missed
  });
  pick("COM1");
  std::atomic<bool> flooding{true};
  std::thread device([&] {
    while (flooding.load()) {
      (void)!::write(master(), "xyz", 3);  // a full buffer is fine: the flood only has to keep coming
      std::this_thread::sleep_for(200us);
    }
  });
  std::this_thread::sleep_for(50ms);
  com_->doClosePort(TData());
  closeReturned.store(true);
  std::this_thread::sleep_for(200ms);
  flooding.store(false);
  device.join();
  EXPECT_FALSE(com_->isOpen());
  EXPECT_EQ(lateDeliveries.load(), 0);
}

TEST_F(SerialLinkTest, CloseWaitsForADeliveryUnderWayAndThenReturns) {
  std::promise<void> deliveryStarted;
  std::promise<void> mayFinish;
  std::shared_future<void> released = mayFinish.get_future().share();
  std::atomic<bool> deliveryEnded{false};
  com_->onReceived.link([&](const TData& chunk) {
    if (chunk.toStr() != "slow") return;
    deliveryStarted.set_value();
    released.wait();  // a slow receiver, e.g. one updating the window
    deliveryEnded.store(true);
  });
  pick("COM1");
  writeToMaster(master(), "slow");
  deliveryStarted.get_future().wait();

  std::atomic<bool> closeReturned{false};
  std::thread ui([&] {
    com_->doClosePort(TData());
    closeReturned.store(true);
  });
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(closeReturned.load()) << "close cut the delivery off";
  mayFinish.set_value();
  ui.join();
  EXPECT_TRUE(deliveryEnded.load());
  EXPECT_FALSE(com_->isOpen());
  EXPECT_FALSE(com_->receiving());
}

TEST_F(SerialLinkTest, CloseAskedFromInsideADeliveryEndsTheLoopWithoutWaitingForItself) {
  com_->onReceived.link([this](const TData&) { com_->doClosePort(TData()); });
  pick("COM1");
  writeToMaster(master(), "bye");
  const auto giveUp = std::chrono::steady_clock::now() + 5s;
  while (com_->receiving() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(com_->receiving());
  com_->doClosePort(TData());
  EXPECT_FALSE(com_->isOpen());
  pick("COM1");
  EXPECT_EQ(results_.numbers(), (std::vector<int>{1, 1}));
}

TEST_F(SerialLinkTest, AHungUpLineEndsTheReceiveLoopAndTheProcessGoesIdle) {
  const std::size_t threadsBefore = threadCount();
  pick("COM1");
  ASSERT_EQ(results_.numbers(), std::vector<int>{1});
  EXPECT_EQ(threadCount(), threadsBefore + 1);

  pty_.closeMaster();  // the adapter is pulled
  const auto giveUp = std::chrono::steady_clock::now() + 5s;
  while (com_->receiving() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(10ms);
  ASSERT_FALSE(com_->receiving()) << "the receive loop is still running after the hang-up";
  while (threadCount() > threadsBefore && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(threadCount(), threadsBefore);
  // Sanity bound only: a spinning loop would use the whole 300 ms.
  const auto cpuBefore = processCpuTime();
  std::this_thread::sleep_for(300ms);
  EXPECT_LT(processCpuTime() - cpuBefore, 150ms);

  // The port stays logically open: a send fails quietly, another open does nothing, close works.
  EXPECT_TRUE(com_->isOpen());
  com_->doSend(TData("PUSK"));
  EXPECT_EQ(sent_.numbers(), std::vector<int>{0});
  com_->doOpenPort(TData());
  EXPECT_EQ(results_.numbers(), std::vector<int>{1});
  com_->doClosePort(TData());
  EXPECT_FALSE(com_->isOpen());
}

TEST_F(SerialLinkTest, SendsFromTwoThreadsEachGoOutWhole) {
  pick("COM1");
  // Larger than the line's buffer, so each send needs several writes and waits for room.
  constexpr std::size_t kBlock = 150000;
  constexpr int kBlocksEach = 6;
  std::string received;
  std::thread device([&] { received = readFromMaster(master(), 2 * kBlock * kBlocksEach, 60s); });
  auto sender = [&](char letter) {
    for (int i = 0; i < kBlocksEach; ++i) com_->doSend(TData(std::string(kBlock, letter)));
  };
  std::thread other(sender, 'B');  // as the receive thread sends pages
  sender('A');                     // as the UI thread sends
  other.join();
  device.join();

  ASSERT_EQ(received.size(), 2 * kBlock * kBlocksEach);
  std::size_t firstMixedBlock = received.size();
  for (std::size_t at = 0; at < received.size() && firstMixedBlock == received.size(); at += kBlock)
    if (received.find_first_not_of(received[at], at) < at + kBlock) firstMixedBlock = at;
  EXPECT_EQ(firstMixedBlock, received.size()) << "two sends interleaved";
  EXPECT_EQ(sent_.numbers(), std::vector<int>(2 * kBlocksEach, static_cast<int>(kBlock)));
}

TEST_F(SerialLinkTest, BytesArrivingWhileDispatchIsOffReachNobody) {
  pick("COM1");
  {
    dispatch::ScopedSwitch off(false);
    writeToMaster(master(), "lost");
    // The loop takes the bytes off the queue (so its next wait sleeps) without delivering them.
    const int probe = ::open(pty_.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    // A poll on the terminal first moves what the master wrote into its input queue.
    pollfd flush{probe, POLLIN, 0};
    ::poll(&flush, 1, 0);
    int queued = 1;
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < giveUp && ::ioctl(probe, FIONREAD, &queued) == 0 && queued > 0)
      std::this_thread::sleep_for(5ms);
    ::close(probe);
    EXPECT_EQ(queued, 0);
  }
  writeToMaster(master(), "kept");
  ASSERT_TRUE(chunks_.waitForCount(1));
  EXPECT_EQ(chunks_.texts(), std::vector<std::string>{"kept"});
}

// A catalog of twelve ports, so that both one- and two-digit names have a device.
struct OpenCase {
  const char* name;
  int result;
  bool touchesDevices;
  int terminal;  // which terminal a send then reaches; -1 none
};

class NameCheckTest : public testing::TestWithParam<OpenCase> {
 protected:
  dispatch::ScopedSwitch dispatchOn_{true};
  PseudoTerminal terminals_[12];
  PreparedTree tree_;
};

TEST_P(NameCheckTest, ChecksTheNameBeforeTouchingAnyDevice) {
  const OpenCase& c = GetParam();
  for (int i = 0; i < 12; ++i) tree_.addEntry("ttyUSB" + std::to_string(i), terminals_[i].slavePath());
  auto catalog = tree_.catalog();
  THIComAsync com(catalog);
  Recorder results;
  com.onOpenResult.link(results.point());
  const std::string name = c.name;
  com.PortName.link([name] { return TData(name); });
  com.doOpenPort(TData());

  EXPECT_EQ(results.numbers(), std::vector<int>{c.result});
  EXPECT_EQ(catalog->built(), c.touchesDevices);
  EXPECT_EQ(com.currentPortName(), name);
  EXPECT_EQ(com.isOpen(), c.result != 0);
  if (c.terminal >= 0) {
    com.doSend(TData("ping"));
    EXPECT_EQ(readFromMaster(terminals_[c.terminal].masterFd(), 4), "ping");
  }
}

INSTANTIATE_TEST_SUITE_P(Names, NameCheckTest,
                         testing::Values(OpenCase{"com7", 7, true, 6}, OpenCase{"COM12", 12, true, 11},
                                         OpenCase{"COM12X", 0, true, -1}, OpenCase{"COM13", 0, true, -1},
                                         OpenCase{"COM0", 0, false, -1}, OpenCase{"COM256", 0, false, -1},
                                         OpenCase{"COM", 0, false, -1}, OpenCase{"COMX", 0, false, -1},
                                         OpenCase{"LPT1", 0, false, -1}, OpenCase{"COM1000", 0, false, -1},
                                         OpenCase{"", 0, false, -1}));

}  // namespace
