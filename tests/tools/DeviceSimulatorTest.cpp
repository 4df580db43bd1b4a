#include <gtest/gtest.h>

#include <sys/socket.h>

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ToolSide.h"
#include "tools/Crc16Modbus.h"
#include "tools/DeviceSimulator.h"
#include "tools/PseudoTerminal.h"
#include "tools/Sha256.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Generous limits: they only stop a broken test from hanging, nothing is timed by them.
constexpr auto kReplyLimit = 5s;
// How long a test waits to be sure that nothing comes.
constexpr auto kQuiet = 250ms;

const Clock::duration kByteTime = std::chrono::nanoseconds(1'000'000'000LL * kLineBitsPerByte / kLineBitsPerSecond);

Bytes testImage(std::size_t pages, unsigned seed = 1) {
  std::mt19937 random(seed);
  Bytes image(pages * kPageSize);
  for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
  return image;
}

std::span<const std::uint8_t> page(const Bytes& image, std::size_t index) {
  return std::span(image).subspan(index * kPageSize, kPageSize);
}

std::string checksumBytes(std::uint16_t crc, bool lowFirst = false) {
  const char high = static_cast<char>(crc >> 8);
  const char low = static_cast<char>(crc & 0xFF);
  return lowFirst ? std::string{low, high} : std::string{high, low};
}

std::string asText(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

std::string identificationReply(const DeviceSettings& s) { return s.makerWord + " " + s.designation + " " + s.version; }

// One simulator on one pseudo terminal, with the tool's end open.
class Rig {
 public:
  explicit Rig(DeviceSettings settings) : simulator(pty, std::move(settings)), tool(pty.slavePath()) { simulator.start(); }

  // "VERS", and the reply read in full.
  void identify() {
    tool.send("VERS");
    ASSERT_EQ(tool.receive(identificationReply(simulator.settings()).size(), kReplyLimit),
              identificationReply(simulator.settings()));
  }

  PseudoTerminal pty;
  DeviceSimulator simulator;
  ToolSide tool;
};

// ---- the upload, scenario by scenario ----

struct Observed {
  std::vector<std::string> replies;               // to each page sent
  std::vector<Clock::duration> pageToReply;       // from writing the page to its whole reply
  bool toolSawHangUp = false;
  DeviceReport report;
};

struct UploadCase {
  const char* name;
  std::function<void(DeviceSettings&)> configure;
  std::size_t pagesSent;
  // The reply expected to page p, given the right running checksum after it; empty for none.
  std::function<std::string(std::size_t page, std::uint16_t crc)> expectedReply;
  std::size_t acks;
  bool final;
  bool pusk;
  bool hungUp = false;
  std::function<void(const Observed&)> alsoCheck = {};
};

constexpr std::size_t kPages = 4;

std::string normalReply(std::size_t page, std::uint16_t crc) {
  return checksumBytes(crc) + (page + 1 == kPages ? "FZ" : "");
}

void PrintTo(const UploadCase& c, std::ostream* out) { *out << c.name; }
std::string printCaseName(const testing::TestParamInfo<UploadCase>& info) { return info.param.name; }

class UploadScenarioTest : public testing::TestWithParam<UploadCase> {};

TEST_P(UploadScenarioTest, DeviceAnswersAsConfigured) {
  const UploadCase& c = GetParam();
  DeviceSettings settings;
  settings.pageCount = kPages;
  c.configure(settings);
  Rig rig(settings);
  rig.identify();

  const Bytes image = testImage(c.pagesSent);
  Observed seen;
  std::uint16_t crc = devicesim::kCrcStart;
  for (std::size_t p = 0; p < c.pagesSent; ++p) {
    crc = devicesim::crc16Modbus(page(image, p), crc);
    const std::string expected = c.expectedReply(p, crc);
    const Clock::time_point sentAt = Clock::now();
    rig.tool.send(page(image, p));
    seen.replies.push_back(expected.empty() ? rig.tool.receive(1, kQuiet) : rig.tool.receive(expected.size(), kReplyLimit));
    seen.pageToReply.push_back(Clock::now() - sentAt);
    EXPECT_EQ(seen.replies.back(), expected) << "page " << p;
    if (expected.ends_with("FZ")) rig.tool.send("PUSK");
  }
  if (c.hungUp) {
    seen.toolSawHangUp = rig.tool.waitForHangUp(kReplyLimit);
    ASSERT_TRUE(rig.simulator.waitForFinished(kReplyLimit));
  }
  if (c.pusk) {
    ASSERT_TRUE(rig.simulator.waitForPusk(kReplyLimit));
  }
  // A write shows in the report once it has returned, which may be after the tool read it.
  ASSERT_TRUE(rig.simulator.waitForAcks(c.acks, kReplyLimit));
  seen.report = rig.simulator.report();

  const DeviceReport& r = seen.report;
  EXPECT_EQ(r.image, image);
  EXPECT_EQ(r.checksum, crc);
  EXPECT_EQ(r.pagesReceived(), c.pagesSent);
  EXPECT_EQ(r.pagesAcknowledged(), c.acks);
  EXPECT_EQ(r.finalAckSent, c.final);
  EXPECT_EQ(r.puskReceived, c.pusk);
  EXPECT_EQ(r.hungUp, c.hungUp);
  EXPECT_EQ(r.lineClosed, c.hungUp);
  EXPECT_EQ(seen.toolSawHangUp, c.hungUp);
  EXPECT_EQ(r.identificationReplies, 1U);
  for (std::size_t i = 0; i < r.acks.size(); ++i) {
    EXPECT_EQ(r.acks[i].page, i);
    EXPECT_EQ(asText(r.acks[i].bytes), seen.replies[i]) << "the report shows what the tool got";
  }
  if (c.alsoCheck) c.alsoCheck(seen);
}

const UploadCase kUploadCases[] = {
    {"AllPagesThenFinal", [](DeviceSettings&) {}, kPages, normalReply, kPages, true, true},
    {"WrongChecksumAtPage1", [](DeviceSettings& s) { s.wrongChecksumAtPage = 1; }, kPages,
     [](std::size_t p, std::uint16_t crc) { return p == 1 ? checksumBytes(crc ^ 0xFFFF) : normalReply(p, crc); },
     kPages, true, true},
    {"WrongChecksumOnTheFinalPage", [](DeviceSettings& s) { s.wrongChecksumAtPage = kPages - 1; }, kPages,
     [](std::size_t p, std::uint16_t crc) { return p + 1 == kPages ? checksumBytes(crc ^ 0xFFFF) + "FZ" : normalReply(p, crc); },
     kPages, true, true},
    {"SilentFromPage2", [](DeviceSettings& s) { s.silentFromPage = 2; }, kPages,
     [](std::size_t p, std::uint16_t crc) { return p >= 2 ? std::string() : normalReply(p, crc); }, 2, false, false},
    {"LowByteFirst", [](DeviceSettings& s) { s.lowByteFirst = true; }, kPages,
     [](std::size_t p, std::uint16_t crc) { return checksumBytes(crc, true) + (p + 1 == kPages ? "FZ" : ""); },
     kPages, true, true},
    {"FinalAckAfterPage1", [](DeviceSettings& s) { s.finalAckAfterPage = 1; }, 2,
     [](std::size_t p, std::uint16_t crc) { return checksumBytes(crc) + (p == 1 ? "FZ" : ""); }, 2, true, true},
    {"NoFinalAckAndNoRoomPastTheLastPage", [](DeviceSettings& s) { s.noFinalAck = true; }, kPages + 1,
     [](std::size_t p, std::uint16_t crc) { return p < kPages ? checksumBytes(crc) : std::string(); }, kPages, false,
     false},
    {"HangUpAtPage2", [](DeviceSettings& s) { s.hangUpAtPage = 2; }, 3,
     [](std::size_t p, std::uint16_t crc) { return p < 2 ? checksumBytes(crc) : std::string(); }, 2, false, false, true},
    {"AckSplitIntoSingleBytes", [](DeviceSettings& s) { s.ackByteGap = 40ms; }, kPages, normalReply, kPages, true, true,
     false,
     [](const Observed& seen) {
       // Every acknowledgement went out one byte per write, the gap between them kept.
       std::size_t writes = 0;
       for (const auto& ack : seen.report.acks) writes += ack.bytes.size();
       const auto& sent = seen.report.sent;
       ASSERT_EQ(sent.size(), 1 + writes);  // the identification reply, then the single bytes
       std::size_t next = 1;
       for (const auto& ack : seen.report.acks) {
         for (std::size_t k = 0; k < ack.bytes.size(); ++k, ++next) {
           EXPECT_EQ(sent[next].bytes, Bytes{ack.bytes[k]});
           if (k > 0) {
             EXPECT_GE(sent[next].at - sent[next - 1].at, 40ms);
           }
         }
       }
     }},
    {"ExtraDelayBeforeEachAck", [](DeviceSettings& s) { s.ackDelay = 150ms; }, kPages, normalReply, kPages, true, true,
     false,
     [](const Observed& seen) {
       for (const auto elapsed : seen.pageToReply) EXPECT_GE(elapsed, 150ms);
     }},
    {"PacedAtTheLineRate", [](DeviceSettings& s) { s.paceAtLineRate = true; }, kPages, normalReply, kPages, true, true,
     false,
     [](const Observed& seen) {
       // A page in one write still takes 256 byte times to go in and its reply 2 (or 4) to come out.
       for (std::size_t p = 0; p < seen.pageToReply.size(); ++p) {
         EXPECT_GE(seen.pageToReply[p], (256 + seen.replies[p].size()) * kByteTime) << "page " << p;
       }
     }},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, UploadScenarioTest, testing::ValuesIn(kUploadCases), printCaseName);

// ---- identification ----

struct IdentificationCase {
  const char* name;
  std::function<void(DeviceSettings&)> configure;
  std::string expected;  // everything the tool gets after one "VERS"
  std::function<void(const DeviceReport&)> alsoCheck = {};
};

void PrintTo(const IdentificationCase& c, std::ostream* out) { *out << c.name; }
std::string printIdentificationName(const testing::TestParamInfo<IdentificationCase>& info) { return info.param.name; }

class IdentificationTest : public testing::TestWithParam<IdentificationCase> {};

TEST_P(IdentificationTest, ReplyToVers) {
  const IdentificationCase& c = GetParam();
  DeviceSettings settings;
  settings.designation = "D-7";
  settings.version = "2.0b";
  c.configure(settings);
  Rig rig(settings);
  rig.tool.send("VERS");
  const std::string got = c.expected.empty() ? rig.tool.receive(1, kQuiet) : rig.tool.receive(c.expected.size(), kReplyLimit);
  EXPECT_EQ(got, c.expected);
  ASSERT_TRUE(rig.simulator.waitUntil(
      [&](const DeviceReport& r) {
        std::size_t bytes = 0;
        for (const auto& write : r.sent) bytes += write.bytes.size();
        return bytes == got.size();
      },
      kReplyLimit));
  const DeviceReport r = rig.simulator.report();
  EXPECT_EQ(r.identificationRequests, 1U);
  EXPECT_TRUE(r.image.empty());
  if (c.alsoCheck) c.alsoCheck(r);
}

const IdentificationCase kIdentificationCases[] = {
    {"MakerWordDesignationVersion", [](DeviceSettings&) {}, "TARVENMOLIX D-7 2.0b",
     [](const DeviceReport& r) { EXPECT_EQ(r.identificationReplies, 1U); }},
    {"WrongMakerWord", [](DeviceSettings& s) { s.makerWord = "TARVENMOLYX"; }, "TARVENMOLYX D-7 2.0b"},
    {"NoAnswer", [](DeviceSettings& s) { s.noAnswerToVers = true; }, "",
     [](const DeviceReport& r) {
       EXPECT_EQ(r.identificationReplies, 0U);
       EXPECT_TRUE(r.sent.empty());
     }},
    {"InTwoChunks",
     [](DeviceSettings& s) {
       s.identificationChunkGap = 150ms;
       s.identificationSplitAt = 6;
     },
     "TARVENMOLIX D-7 2.0b",
     [](const DeviceReport& r) {
       ASSERT_EQ(r.sent.size(), 2U);
       EXPECT_EQ(asText(r.sent[0].bytes), "TARVEN");
       EXPECT_EQ(asText(r.sent[1].bytes), "MOLIX D-7 2.0b");
       EXPECT_GE(r.sent[1].at - r.sent[0].at, 150ms);
     }},
    {"SplitPastTheEndIsOneChunk",
     [](DeviceSettings& s) {
       s.identificationChunkGap = 10ms;
       s.identificationSplitAt = 500;
     },
     "TARVENMOLIX D-7 2.0b", [](const DeviceReport& r) { EXPECT_EQ(r.sent.size(), 1U); }},
    {"GarbageAfterIdentification",
     [](DeviceSettings& s) {
       s.garbageAfterIdentification = std::string("\r\n\0\xFF", 4);
       s.garbageDelay = 100ms;
     },
     std::string("TARVENMOLIX D-7 2.0b\r\n\0\xFF", 24),
     [](const DeviceReport& r) {
       ASSERT_EQ(r.sent.size(), 2U);
       EXPECT_EQ(asText(r.sent[1].bytes), std::string("\r\n\0\xFF", 4));
       EXPECT_GE(r.sent[1].at - r.sent[0].at, 100ms);
     }},
};

INSTANTIATE_TEST_SUITE_P(Replies, IdentificationTest, testing::ValuesIn(kIdentificationCases), printIdentificationName);

// ---- what arrives before the request ----

struct RequestInputCase {
  const char* name;
  std::vector<std::string> writes;  // each its own write, with a pause between them
  bool answered;
};

void PrintTo(const RequestInputCase& c, std::ostream* out) { *out << c.name; }
std::string printRequestInputName(const testing::TestParamInfo<RequestInputCase>& info) { return info.param.name; }

class RequestInputTest : public testing::TestWithParam<RequestInputCase> {};

TEST_P(RequestInputTest, OnlyVersIsAnswered) {
  const RequestInputCase& c = GetParam();
  Rig rig(DeviceSettings{});
  std::string all;
  for (const std::string& write : c.writes) {
    rig.tool.send(write);
    all += write;
    std::this_thread::sleep_for(20ms);  // lets the device take each write on its own, most of the time
  }
  const std::string reply = identificationReply(rig.simulator.settings());
  EXPECT_EQ(rig.tool.receive(c.answered ? reply.size() : 1, c.answered ? kReplyLimit : kQuiet), c.answered ? reply : "");
  ASSERT_TRUE(rig.simulator.waitUntil([&](const DeviceReport& r) { return r.received.size() == all.size(); }, kReplyLimit));
  const DeviceReport r = rig.simulator.report();
  EXPECT_EQ(asText(r.received), all);
  EXPECT_EQ(r.identificationRequests, c.answered ? 1U : 0U);
  EXPECT_TRUE(r.image.empty()) << "nothing before the request is page data";
  EXPECT_FALSE(r.finished);
}

const RequestInputCase kRequestInputCases[] = {
    {"Plain", {"VERS"}, true},
    {"AfterGarbage", {std::string("\0\xFFxyz\r\nVER", 10), "VERS"}, true},
    {"SplitAcrossWrites", {"V", "E", "R", "S"}, true},
    {"RepeatedFirstLetter", {"VVERS"}, true},
    {"PartialOnly", {"VER"}, false},
    {"WrongLastLetter", {"VERX"}, false},
    {"LowerCase", {"vers"}, false},
    {"BrokenUp", {"VE", "xRS"}, false},
    {"LongGarbage", {std::string(5000, '\xAA')}, false},
};

INSTANTIATE_TEST_SUITE_P(Inputs, RequestInputTest, testing::ValuesIn(kRequestInputCases), printRequestInputName);

// ---- between the answer and the first page ----

// After an answer, a "VERS" as the first bytes is a new request; anything else begins page 0.
struct FirstPageCase {
  const char* name;
  std::string start;  // the first bytes of page 0 as the tool sends them
};

void PrintTo(const FirstPageCase& c, std::ostream* out) { *out << c.name; }
std::string printFirstPageName(const testing::TestParamInfo<FirstPageCase>& info) { return info.param.name; }

class FirstPageTest : public testing::TestWithParam<FirstPageCase> {};

TEST_P(FirstPageTest, BytesThatBeginLikeVersArePageData) {
  Rig rig(DeviceSettings{});
  rig.identify();
  Bytes image = testImage(1);
  std::copy(GetParam().start.begin(), GetParam().start.end(), image.begin());
  rig.tool.sendOneBytePerWrite(image);
  EXPECT_EQ(rig.tool.receive(2, kReplyLimit), checksumBytes(devicesim::crc16Modbus(image)));
  const DeviceReport r = rig.simulator.report();
  EXPECT_EQ(r.image, image);
  EXPECT_EQ(r.identificationRequests, 1U);
}

const FirstPageCase kFirstPageCases[] = {{"V", "Vq"}, {"VE", "VEq"}, {"VER", "VERq"}, {"VV", "VVERS"}, {"Other", "q"}};

INSTANTIATE_TEST_SUITE_P(Starts, FirstPageTest, testing::ValuesIn(kFirstPageCases), printFirstPageName);

TEST(DeviceSimulatorTest, RepeatedRequestBeforeThePagesIsAnsweredAgain) {
  DeviceSettings settings;
  settings.pageCount = 2;
  Rig rig(settings);
  rig.identify();
  rig.identify();  // the tool's user picked the port again
  const Bytes image = testImage(2);
  rig.tool.send(page(image, 0));
  EXPECT_EQ(rig.tool.receive(2, kReplyLimit), checksumBytes(devicesim::crc16Modbus(page(image, 0))));
  // Once pages have begun, "VERS" is only data.
  Bytes second(page(image, 1).begin(), page(image, 1).end());
  std::copy_n("VERS", 4, second.begin());
  rig.tool.send(second);
  const Bytes both = [&] {
    Bytes b(page(image, 0).begin(), page(image, 0).end());
    b.insert(b.end(), second.begin(), second.end());
    return b;
  }();
  EXPECT_EQ(rig.tool.receive(4, kReplyLimit), checksumBytes(devicesim::crc16Modbus(both)) + "FZ");
  const DeviceReport r = rig.simulator.report();
  EXPECT_EQ(r.identificationRequests, 2U);
  EXPECT_EQ(r.identificationReplies, 2U);
  EXPECT_EQ(r.image, both);
}

// ---- the run command ----

struct RunCommandCase {
  const char* name;
  std::vector<std::string> writes;
  bool pusk;
};

void PrintTo(const RunCommandCase& c, std::ostream* out) { *out << c.name; }
std::string printRunCommandName(const testing::TestParamInfo<RunCommandCase>& info) { return info.param.name; }

class RunCommandTest : public testing::TestWithParam<RunCommandCase> {};

TEST_P(RunCommandTest, PuskIsFoundAfterTheFinalAck) {
  DeviceSettings settings;
  settings.pageCount = 1;
  Rig rig(settings);
  rig.identify();
  const Bytes image = testImage(1);
  rig.tool.send(page(image, 0));
  ASSERT_EQ(rig.tool.receive(4, kReplyLimit), checksumBytes(devicesim::crc16Modbus(image)) + "FZ");
  std::size_t total = image.size() + 4;
  for (const std::string& write : GetParam().writes) {
    rig.tool.send(write);
    total += write.size();
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(rig.simulator.waitUntil([&](const DeviceReport& r) { return r.received.size() == total; }, kReplyLimit));
  const DeviceReport r = rig.simulator.report();
  EXPECT_EQ(r.puskReceived, GetParam().pusk);
  EXPECT_EQ(r.puskAt.has_value(), GetParam().pusk);
  EXPECT_EQ(r.image, image) << "nothing after the final acknowledgement is page data";
}

const RunCommandCase kRunCommandCases[] = {
    {"Plain", {"PUSK"}, true},
    {"SplitAcrossWrites", {"PU", "SK"}, true},
    {"AfterOtherBytes", {"xxPPU", "SK"}, true},
    {"FollowedByMore", {"PUSK", "VERS"}, true},
    {"WrongLetter", {"PUSX"}, false},
    {"LowerCase", {"pusk"}, false},
};

INSTANTIATE_TEST_SUITE_P(Inputs, RunCommandTest, testing::ValuesIn(kRunCommandCases), printRunCommandName);

// ---- the whole image at full size ----

TEST(DeviceSimulatorTest, FullImageOneBytePerWrite) {
  Rig rig(DeviceSettings{});
  rig.identify();
  const Bytes image = testImage(kDefaultPageCount, 42);
  std::uint16_t crc = devicesim::kCrcStart;
  for (std::size_t p = 0; p < kDefaultPageCount; ++p) {
    crc = devicesim::crc16Modbus(page(image, p), crc);
    rig.tool.sendOneBytePerWrite(page(image, p));
    const bool last = p + 1 == kDefaultPageCount;
    ASSERT_EQ(rig.tool.receive(last ? 4 : 2, kReplyLimit), checksumBytes(crc) + (last ? "FZ" : "")) << "page " << p;
  }
  rig.tool.send("PUSK");
  ASSERT_TRUE(rig.simulator.waitForPusk(kReplyLimit));
  const DeviceReport r = rig.simulator.report();
  EXPECT_EQ(r.image.size(), 260'096U);
  EXPECT_EQ(r.imageSha256(), devicesim::sha256Hex(image));
  EXPECT_EQ(r.pagesAcknowledged(), kDefaultPageCount);
  EXPECT_TRUE(r.finalAckSent);
  ASSERT_EQ(r.pages.size(), kDefaultPageCount);
  for (std::size_t p = 0; p < kDefaultPageCount; ++p) {
    EXPECT_LE(r.pages[p].firstByteAt, r.pages[p].lastByteAt);
    EXPECT_LE(r.pages[p].lastByteAt, r.acks[p].at) << "an acknowledgement follows its page";
    if (p > 0) {
      EXPECT_LE(r.acks[p - 1].at, r.pages[p].firstByteAt);
    }
  }
}

// ---- starting, stopping, the line going away ----

TEST(DeviceSimulatorTest, StopWakesTheIdleWait) {
  PseudoTerminal pty;
  DeviceSimulator simulator(pty);
  simulator.start();
  simulator.stop();
  const DeviceReport r = simulator.report();
  EXPECT_TRUE(r.finished);
  EXPECT_FALSE(r.lineClosed);
}

TEST(DeviceSimulatorTest, StopWakesALongPause) {
  DeviceSettings settings;
  settings.ackDelay = std::chrono::hours(1);
  Rig rig(settings);
  rig.identify();
  rig.tool.send(page(testImage(1), 0));
  ASSERT_TRUE(rig.simulator.waitForImageBytes(kPageSize, kReplyLimit));
  rig.simulator.stop();  // returns although the acknowledgement was due in an hour
  EXPECT_TRUE(rig.simulator.report().finished);
  EXPECT_TRUE(rig.simulator.report().acks.empty());
}

TEST(DeviceSimulatorTest, EndsByItselfWhenTheFarEndCloses) {
  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
  DeviceSimulator simulator(ends[0], DeviceSettings{});
  simulator.start();
  ASSERT_EQ(::write(ends[1], "VERS", 4), 4);
  ASSERT_TRUE(simulator.waitForIdentificationReplies(1, kReplyLimit));
  ::close(ends[1]);
  EXPECT_TRUE(simulator.waitForFinished(kReplyLimit));
  EXPECT_TRUE(simulator.report().lineClosed);
  EXPECT_FALSE(simulator.report().hungUp);
  simulator.stop();
  ::close(ends[0]);
}

TEST(DeviceSimulatorTest, HangUpWithoutACloserOnlyEndsServing) {
  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
  DeviceSettings settings;
  settings.hangUpAtPage = 0;
  DeviceSimulator simulator(ends[0], settings);
  simulator.start();
  ASSERT_EQ(::write(ends[1], "VERS", 4), 4);
  ASSERT_TRUE(simulator.waitForIdentificationReplies(1, kReplyLimit));
  const Bytes image = testImage(1);
  ASSERT_EQ(::write(ends[1], image.data(), image.size()), static_cast<ssize_t>(image.size()));
  EXPECT_TRUE(simulator.waitForFinished(kReplyLimit));
  EXPECT_TRUE(simulator.report().hungUp);
  EXPECT_TRUE(simulator.report().acks.empty());
  simulator.stop();
  ::close(ends[0]);
  ::close(ends[1]);
}

TEST(DeviceSimulatorTest, WaitGivesUpAtItsTimeout) {
  PseudoTerminal pty;
  DeviceSimulator simulator(pty);
  simulator.start();
  EXPECT_FALSE(simulator.waitForPusk(50ms));
}

}  // namespace
