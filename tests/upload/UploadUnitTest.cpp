#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "UploadEventLog.h"
#include "resources/EmbeddedFirmware.h"
#include "upload/RunningChecksum.h"
#include "upload/hiMultiElementEx_2538BB0.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Unit = TClassMultiElementEx_2538BB0;

constexpr milliseconds kNoTicks(3600 * 1000);  // a silence timer that never ticks within a test

std::vector<std::uint8_t> patternImage(std::size_t size) {
  std::vector<std::uint8_t> image(size);
  for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return image;
}

std::string hexOf(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char b : bytes) {
    hex.push_back(digits[b >> 4]);
    hex.push_back(digits[b & 0xF]);
  }
  return hex;
}

// The events a page of these bytes produces: a send of each byte, each followed by the new
// checksum text. `crc` runs on.
std::vector<std::string> pageTrace(const std::vector<std::uint8_t>& image, std::size_t offset, std::uint16_t& crc) {
  std::vector<std::string> trace;
  for (std::size_t i = offset; i < offset + 256; ++i) {
    const std::uint8_t b = i < image.size() ? image[i] : 0;
    trace.push_back("onSend:" + hexOf(std::string(1, static_cast<char>(b))));
    crc = crc16ModbusUpdate(crc, b);
    char text[5];
    std::snprintf(text, sizeof text, "%04X", crc);
    trace.push_back(std::string("onCrcText:") + text);
  }
  return trace;
}

// Events as "name:value" lines; sends and echoes as hex, since they carry raw bytes.
std::vector<std::string> trace(const std::vector<UploadEvent>& events) {
  std::vector<std::string> lines;
  for (auto& e : events) {
    const bool raw = e.name == "onSend" || e.name == "onReplyEcho";
    lines.push_back(e.name + ":" + (raw ? hexOf(e.value.toStr()) : e.value.toStr()));
  }
  return lines;
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class UploadUnitTest : public ::testing::Test {
 protected:
  void make(milliseconds interval = kNoTicks, std::vector<std::uint8_t> image = patternImage(1024)) {
    image_ = std::move(image);
    unit = std::make_unique<Unit>(interval, image_);
    log.attach(*unit);
  }
  void reply(const std::string& bytes) { unit->work(0)(TData(bytes)); }
  void start() { unit->work(1)(TData()); }
  std::string ack() { return ackBytesFor(log.lastCrcText()); }

  dispatch::ScopedSwitch on{true};
  std::vector<std::uint8_t> image_;
  UploadEventLog log;
  std::unique_ptr<Unit> unit;  // after the log: destroyed before it
};

TEST_F(UploadUnitTest, StartSendsOnePageByteByByteEachFollowedByItsChecksumText) {
  make();
  start();
  std::uint16_t crc = 0xFFFF;
  EXPECT_EQ(trace(log.events()), pageTrace(image_, 0, crc));
  // Each send is a one-character string, the byte 0x00 included.
  const auto sends = log.named("onSend");
  ASSERT_EQ(sends.size(), 256u);
  EXPECT_EQ(sends[0].value.toStr(), std::string(1, '\0'));
  EXPECT_TRUE(sends[0].value.isStr());
}

TEST_F(UploadUnitTest, PageAckCountsSendsTheNextPageThenEchoes) {
  make();
  start();
  std::uint16_t crc = 0xFFFF;
  pageTrace(image_, 0, crc);
  const std::string ackBytes = ack();
  log.clear();
  reply(ackBytes);
  const auto expected = concat(concat({"onProgress:1"}, pageTrace(image_, 256, crc)), {"onReplyEcho:" + hexOf(ackBytes)});
  EXPECT_EQ(trace(log.events()), expected);
  EXPECT_TRUE(log.named("onProgress")[0].value.isInt());
}

struct RejectCase {
  const char* name;
  std::function<std::string(const std::string& ack)> reply;
};

class RejectedReplies : public UploadUnitTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RejectedReplies, ErrorWithHexTextThenEchoAndNothingSent) {
  make();
  start();
  const std::string good = ack();
  const std::string bad = GetParam().reply(good);
  ASSERT_NE(bad, good);
  log.clear();
  reply(bad);
  EXPECT_EQ(trace(log.events()), (std::vector<std::string>{"onUploadError:" + hexOf(bad), "onReplyEcho:" + hexOf(bad)}));
  EXPECT_TRUE(log.events()[0].value.isStr());
  // Still waiting: the right acknowledgement is taken afterwards.
  reply(good);
  EXPECT_EQ(log.named("onProgress").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RejectedReplies,
    ::testing::Values(RejectCase{"LowByteFirst", [](const std::string& a) { return std::string{a[1], a[0]}; }},
                      RejectCase{"ExtraByteBefore", [](const std::string& a) { return "\x01" + a; }},
                      RejectCase{"ExtraByteAfter", [](const std::string& a) { return a + std::string(1, '\0'); }},
                      RejectCase{"ChecksumAsText", [](const std::string& a) { return hexOf(a); }},
                      RejectCase{"FinalLettersLowerCase", [](const std::string& a) { return a + "fz"; }},
                      RejectCase{"Empty", [](const std::string&) { return std::string(); }},
                      RejectCase{"Garbage", [](const std::string&) { return std::string("\xFF\x00\x13\x37", 4); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadUnitTest, RepliesBeforeTheFirstStartAreRejected) {
  make();
  for (const std::string bad : {"SZ", "FZ", "\xFF\xFF", ""}) reply(bad);
  EXPECT_EQ(trace(log.events()),
            (std::vector<std::string>{"onUploadError:535A", "onReplyEcho:535A", "onUploadError:465A", "onReplyEcho:465A",
                                      "onUploadError:FFFF", "onReplyEcho:FFFF", "onUploadError:", "onReplyEcho:"}));
}

TEST_F(UploadUnitTest, AckSplitInTwoDeliveriesIsTwoRejectionsAndTheTransferWaits) {
  make();
  start();
  const std::string a = ack();
  log.clear();
  reply(a.substr(0, 1));
  reply(a.substr(1, 1));
  EXPECT_EQ(trace(log.events()),
            (std::vector<std::string>{"onUploadError:" + hexOf(a.substr(0, 1)), "onReplyEcho:" + hexOf(a.substr(0, 1)),
                                      "onUploadError:" + hexOf(a.substr(1, 1)), "onReplyEcho:" + hexOf(a.substr(1, 1))}));
  reply(a);
  EXPECT_EQ(log.named("onProgress").size(), 1u);
}

TEST_F(UploadUnitTest, FinalAckAfterPageThreeSendsPuskReportsDoneAndStopsTheTimer) {
  const milliseconds interval(50);
  make(interval);
  start();
  for (int page = 0; page < 3; ++page) reply(ack());
  const std::string final = ack() + "FZ";
  const auto sendsBefore = log.named("onSend").size();
  log.clear();
  reply(final);
  EXPECT_EQ(trace(log.events()), (std::vector<std::string>{"onSend:" + hexOf("PUSK"), "onUploadDone:" + hexOf(final),
                                                            "onReplyEcho:" + hexOf(final)}));
  EXPECT_EQ(sendsBefore, 4u * 256u);
  // Stopped: no tick counts any more, so no silence report comes however long we wait.
  log.clear();
  std::this_thread::sleep_for(20 * interval);
  EXPECT_TRUE(log.named("onUploadError").empty());
}

TEST_F(UploadUnitTest, AfterDoneRepliesAreStillJudgedWithTheLastPatterns) {
  make();
  start();
  const std::string pageAck = ack();
  const std::string final = pageAck + "FZ";
  reply(final);
  log.clear();
  reply(final);  // a repeated final acknowledgement: "PUSK" and done again
  EXPECT_EQ(trace(log.events()), (std::vector<std::string>{"onSend:" + hexOf("PUSK"), "onUploadDone:" + hexOf(final),
                                                            "onReplyEcho:" + hexOf(final)}));
  log.clear();
  reply(pageAck);  // a bare repeat counts as a page acknowledgement: the next page goes out
  std::uint16_t crc = 0xFFFF;
  pageTrace(image_, 0, crc);
  EXPECT_EQ(trace(log.events()),
            concat(concat({"onProgress:1"}, pageTrace(image_, 256, crc)), {"onReplyEcho:" + hexOf(pageAck)}));
}

TEST_F(UploadUnitTest, SecondStartContinuesFromTheCurrentPositionAndChecksum) {
  make();
  start();
  reply(ack());  // page 1 goes out
  log.clear();
  start();  // no reset: page 2 of the image, checksum running on
  std::uint16_t crc = 0xFFFF;
  pageTrace(image_, 0, crc);
  pageTrace(image_, 256, crc);
  EXPECT_EQ(trace(log.events()), pageTrace(image_, 512, crc));
  reply(ack());
  EXPECT_EQ(log.named("onProgress").back().value.toInt(), 2);
}

// A device answering every page at once, in-process: the whole embedded image.
TEST_F(UploadUnitTest, FullUploadOfTheEmbeddedImage) {
  Unit upload(kNoTicks);
  std::string sent;
  std::vector<std::int32_t> progress;
  std::string lastCrc;
  std::vector<std::string> order;
  std::size_t sends = 0;
  upload.event(1).link([&](const TData& v) {
    ++sends;
    const std::string s = v.toStr();
    if (s.size() == 1) sent += s; else order.push_back("send:" + s);
  });
  upload.event(4).link([&](const TData& v) { lastCrc = v.toStr(); });
  upload.event(0).link([&](const TData& v) { progress.push_back(v.toInt()); });
  upload.event(2).link([&](const TData& v) { order.push_back("done:" + v.toStr()); });
  upload.event(3).link([&](const TData& v) { order.push_back("error:" + v.toStr()); });
  upload.work(1)(TData());
  for (int page = 0; page < 1015; ++page) upload.work(0)(TData(ackBytesFor(lastCrc)));
  upload.work(0)(TData(ackBytesFor(lastCrc) + "FZ"));

  ASSERT_EQ(progress.size(), 1015u);
  for (std::size_t i = 0; i < progress.size(); ++i) ASSERT_EQ(progress[i], static_cast<std::int32_t>(i + 1));
  EXPECT_EQ(sends, 260097u);
  const auto image = embeddedFirmware();
  EXPECT_TRUE(sent == std::string(image.begin(), image.end()));
  EXPECT_EQ(order, (std::vector<std::string>{"send:PUSK", "done:" + hexOf(ackBytesFor(lastCrc) + "FZ")}));
}

TEST_F(UploadUnitTest, BareChecksumAfterTheLastPageWrapsProgressAndSendsZeros) {
  Unit upload(kNoTicks);
  std::string lastCrc;
  std::vector<std::int32_t> progress;
  std::string sentAfterWrap;
  upload.event(4).link([&](const TData& v) { lastCrc = v.toStr(); });
  upload.event(0).link([&](const TData& v) { progress.push_back(v.toInt()); });
  upload.event(1).link([&](const TData& v) {
    if (!progress.empty() && progress.back() == 0) sentAfterWrap += v.toStr();
  });
  upload.work(1)(TData());
  for (int page = 0; page < 1016; ++page) upload.work(0)(TData(ackBytesFor(lastCrc)));
  ASSERT_EQ(progress.size(), 1016u);
  EXPECT_EQ(progress[1014], 1015);
  EXPECT_EQ(progress[1015], 0);
  EXPECT_EQ(sentAfterWrap, std::string(256, '\0'));
}

TEST_F(UploadUnitTest, SilenceIsReportedOnTheThirdTickThenEvery101Ticks) {
  const milliseconds interval(10);
  make(interval);
  const auto started = Clock::now();
  start();
  ASSERT_TRUE(log.waitForCount("onUploadError", 2));
  unit.reset();
  const auto errors = log.named("onUploadError");
  for (auto& e : errors) {
    EXPECT_TRUE(e.value.isInt());
    EXPECT_EQ(e.value.toInt(), 3);
    EXPECT_NE(e.thread, std::this_thread::get_id());
  }
  EXPECT_GE(errors[0].at, started + 3 * interval);
  EXPECT_GE(errors[1].at, errors[0].at + 100 * interval);
}

TEST_F(UploadUnitTest, EmptyDeliveryAtSilenceCountTwoPreventsTheReport) {
  const milliseconds interval(400);
  make(interval);
  const auto started = Clock::now();
  start();
  // Ticks at 1 and 2 intervals have counted; reply half-way to the third.
  std::this_thread::sleep_until(started + interval * 5 / 2);
  const auto repliedAt = Clock::now();
  reply("");  // an empty delivery: rejected, but a reply all the same, so the count restarts
  ASSERT_TRUE(log.waitUntil([](const std::vector<UploadEvent>& events) {
    for (auto& e : events)
      if (e.name == "onUploadError" && e.value.isInt()) return true;
    return false;
  }));
  for (auto& e : log.named("onUploadError"))
    if (e.value.isInt()) {
      EXPECT_GE(e.at, repliedAt + 2 * interval);
      break;
    }
}

// The main window holds the receive thread inside onUploadDone for a long time; ticks meanwhile
// must count and report, and nothing may deadlock or get lost.
TEST_F(UploadUnitTest, TicksDuringALongUploadDoneHandlerStillCountAndReport) {
  const milliseconds interval(30);
  std::atomic<bool> inDoneHandler{false};
  std::atomic<int> reportsDuringHold{0};
  image_ = patternImage(1024);
  unit = std::make_unique<Unit>(interval, image_);
  log.attach(*unit, [&](const UploadEvent& e) {
    if (e.name == "onUploadDone") {
      inDoneHandler = true;
      std::this_thread::sleep_for(20 * interval);
      inDoneHandler = false;
    } else if (e.name == "onUploadError" && e.value.isInt() && inDoneHandler) {
      ++reportsDuringHold;
    }
  });
  start();
  // The replies run on a thread of their own, as on the receive thread, back to back: the page
  // acknowledgement sets the silence count to 0 just before the final one comes.
  std::string final;
  std::thread receiveThread([&] {
    reply(ack());
    final = ack() + "FZ";
    reply(final);
  });
  receiveThread.join();
  EXPECT_GE(reportsDuringHold.load(), 1);
  auto names = trace(log.events());
  auto done = std::find(names.begin(), names.end(), "onUploadDone:" + hexOf(final));
  ASSERT_NE(done, names.end());
  EXPECT_EQ(names.back(), "onReplyEcho:" + hexOf(final));

  // Stopped once the handler had returned, and the count restarted: no report any more.
  const auto reportsAfterDone = log.named("onUploadError").size();
  std::this_thread::sleep_for(20 * interval);
  EXPECT_EQ(log.named("onUploadError").size(), reportsAfterDone);

  // A later start sends the next page and starts the timer again from a consistent state.
  log.clear();
  start();
  EXPECT_EQ(log.named("onSend").size(), 256u);
  EXPECT_TRUE(log.waitForCount("onUploadError", 1));
  reply(ack());
  EXPECT_EQ(log.named("onProgress").back().value.toInt(), 2);
}

TEST_F(UploadUnitTest, EntryPointsFromThreeThreadsStaySerialized) {
  const milliseconds interval(1);
  make(interval);
  start();
  std::thread receiver([&] {
    for (int i = 0; i < 60; ++i) reply(ack());
  });
  std::thread clicker([&] {
    for (int i = 0; i < 20; ++i) start();
  });
  clicker.join();
  receiver.join();
  unit.reset();
  // Every send is followed by its own checksum text: no page interleaved with another.
  const auto events = log.events();
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].name != "onSend") continue;
    ASSERT_LT(i + 1, events.size());
    ASSERT_EQ(events[i + 1].name, "onCrcText");
    crc = crc16ModbusUpdate(crc, static_cast<std::uint8_t>(events[i].value.toStr()[0]));
    char text[5];
    std::snprintf(text, sizeof text, "%04X", crc);
    ASSERT_EQ(events[i + 1].value.toStr(), text);
  }
}

TEST_F(UploadUnitTest, DestroyedWhileTicksAreBeingHandled) {
  std::atomic<int> reports{0};
  for (int round = 0; round < 5; ++round) {
    Unit upload(milliseconds(1));
    upload.event(3).link([&](const TData&) {
      ++reports;
      std::this_thread::sleep_for(milliseconds(2));
    });
    upload.work(1)(TData());
    std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_GE(reports.load(), 1);
}

TEST_F(UploadUnitTest, PointsOutsideTheTablesAreRefused) {
  make();
  EXPECT_THROW(unit->work(2), std::out_of_range);
  EXPECT_THROW(unit->event(6), std::out_of_range);
  EXPECT_THROW(unit->dataLink(1), std::out_of_range);
  EXPECT_EQ(&unit->dataLink(0), &unit->crcState());
}

}  // namespace
