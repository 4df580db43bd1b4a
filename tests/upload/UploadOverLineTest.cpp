// The upload unit against the device simulator on a real pseudo terminal, through the serial
// element, wired as the main window wires it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "UploadLineRig.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr milliseconds kNoTicks(3600 * 1000);
constexpr milliseconds kFullUpload(300 * 1000);  // a deadline, not an expectation

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (auto b : bytes) {
    hex.push_back(digits[b >> 4]);
    hex.push_back(digits[b & 0xF]);
  }
  return hex;
}

std::string imageOf(const DeviceReport& report) { return {report.image.begin(), report.image.end()}; }

TEST(UploadOverLineTest, FullUploadDeliversTheImageByteForByte) {
  UploadLineRig rig({}, kNoTicks);
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadDone", 1, kFullUpload));
  ASSERT_TRUE(rig.device().waitForPusk(seconds(10)));

  const auto progress = rig.notable("onProgress");
  ASSERT_EQ(progress.size(), 1015u);
  for (std::size_t i = 0; i < progress.size(); ++i) ASSERT_EQ(progress[i].value.toInt(), static_cast<int>(i + 1));
  EXPECT_EQ(rig.imageByteSends() + rig.notable("onSend").size(), 260097u);
  EXPECT_EQ(rig.checksumTexts(), 260096u);

  // "PUSK" had been written when success was reported; nothing went wrong on the way.
  const auto events = rig.notable();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2].name, "onSend");
  EXPECT_EQ(events[events.size() - 2].value.toStr(), "PUSK");
  EXPECT_EQ(events.back().name, "onUploadDone");
  const DeviceReport report = rig.device().report();
  EXPECT_EQ(events.back().value.toStr(), hexOf(report.acks.back().bytes));
  EXPECT_TRUE(rig.notable("onUploadError").empty());

  EXPECT_TRUE(imageOf(report) == firmwareFileBytes());
  EXPECT_EQ(report.acks.size(), 1016u);
  EXPECT_TRUE(report.puskReceived);
}

TEST(UploadOverLineTest, FinalAckAfterPageThreeEndsTheUploadThere) {
  DeviceSettings device;
  device.finalAckAfterPage = 3;
  UploadLineRig rig(device, kNoTicks);
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadDone", 1, seconds(30)));
  ASSERT_TRUE(rig.device().waitForPusk(seconds(10)));
  std::this_thread::sleep_for(milliseconds(300));  // room for any page that should not come

  EXPECT_EQ(rig.notable("onProgress").size(), 3u);
  EXPECT_EQ(rig.imageByteSends(), 4u * 256u);
  const DeviceReport report = rig.device().report();
  EXPECT_EQ(report.image.size(), 4u * 256u);
  EXPECT_TRUE(imageOf(report) == firmwareFileBytes().substr(0, 4 * 256));
}

TEST(UploadOverLineTest, BareChecksumAfterTheLastPageWrapsProgressAndSendsAPageOfZeros) {
  DeviceSettings device;
  device.noFinalAck = true;
  UploadLineRig rig(device, kNoTicks);
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onProgress", 1016, kFullUpload));
  ASSERT_TRUE(rig.device().waitForImageBytes(1017u * 256u, seconds(30)));

  const auto progress = rig.notable("onProgress");
  EXPECT_EQ(progress[1014].value.toInt(), 1015);
  EXPECT_EQ(progress[1015].value.toInt(), 0);
  const std::string image = imageOf(rig.device().report());
  EXPECT_TRUE(image.substr(0, 260096) == firmwareFileBytes());
  EXPECT_EQ(image.substr(260096), std::string(256, '\0'));
  EXPECT_TRUE(rig.notable("onUploadDone").empty());
}

// Devices whose acknowledgement is wrong: each rejection carries the reply's hex text and the
// transfer waits; nothing further is sent.
struct RejectingDevice {
  const char* name;
  void (*configure)(DeviceSettings&);
  std::size_t pagesAccepted;
  std::size_t rejections;
};

class RejectingDevices : public ::testing::TestWithParam<RejectingDevice> {};

TEST_P(RejectingDevices, RejectedWithTheHexTextsAndTheTransferWaits) {
  DeviceSettings device;
  GetParam().configure(device);
  UploadLineRig rig(device, kNoTicks);
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadError", GetParam().rejections, seconds(30)));
  std::this_thread::sleep_for(milliseconds(300));

  const DeviceReport report = rig.device().report();
  ASSERT_FALSE(report.acks.empty());
  const std::string wrongAck = hexOf(report.acks.back().bytes);
  const auto errors = rig.notable("onUploadError");
  ASSERT_EQ(errors.size(), GetParam().rejections);
  if (GetParam().rejections == 1) {
    EXPECT_EQ(errors[0].value.toStr(), wrongAck);
  } else {
    EXPECT_EQ(errors[0].value.toStr(), wrongAck.substr(0, 2));
    EXPECT_EQ(errors[1].value.toStr(), wrongAck.substr(2, 2));
  }
  EXPECT_EQ(rig.notable("onProgress").size(), GetParam().pagesAccepted);
  EXPECT_EQ(report.image.size(), (GetParam().pagesAccepted + 1) * 256u);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, RejectingDevices,
    ::testing::Values(
        RejectingDevice{"AckSplitInTwoSingleBytes", [](DeviceSettings& d) { d.ackByteGap = milliseconds(100); }, 0, 2},
        RejectingDevice{"LowByteFirst", [](DeviceSettings& d) { d.lowByteFirst = true; }, 0, 1},
        RejectingDevice{"WrongChecksumAtPageThree", [](DeviceSettings& d) { d.wrongChecksumAtPage = 3; }, 3, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UploadOverLineTest, SilentDeviceIsReportedAboutThreeSecondsAfterTheFirstPage) {
  DeviceSettings device;
  device.silentFromPage = 0;
  UploadLineRig rig(device, milliseconds(1000));  // the program's own interval
  ASSERT_TRUE(rig.identify());
  const auto started = Clock::now();
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadError", 1, seconds(20)));
  const auto error = rig.notable("onUploadError")[0];
  EXPECT_TRUE(error.value.isInt());
  EXPECT_EQ(error.value.toInt(), 3);
  EXPECT_GE(error.at, started + seconds(3));
}

TEST(UploadOverLineTest, SilenceReportRepeatsEvery101Ticks) {
  const milliseconds interval(10);
  DeviceSettings device;
  device.silentFromPage = 0;
  UploadLineRig rig(device, interval);
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadError", 2, seconds(30)));
  const auto errors = rig.notable("onUploadError");
  EXPECT_EQ(errors[0].value.toInt(), 3);
  EXPECT_EQ(errors[1].value.toInt(), 3);
  EXPECT_GE(errors[1].at, errors[0].at + 100 * interval);
}

// Each acknowledgement comes between two and three ticks after its page: the count reaches 2 and
// is set back to 0 by the reply, so silence is never reported.
TEST(UploadOverLineTest, RepliesAtSilenceCountTwoPreventTheReport) {
  DeviceSettings device;
  device.ackDelay = milliseconds(600);
  device.finalAckAfterPage = 4;
  UploadLineRig rig(device, milliseconds(400));
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadDone", 1, seconds(30)));
  EXPECT_TRUE(rig.notable("onUploadError").empty());
  EXPECT_EQ(rig.notable("onProgress").size(), 4u);
}

TEST(UploadOverLineTest, SecondStartContinuesWithTheNextUnreadImageBytes) {
  DeviceSettings device;
  device.silentFromPage = 1;
  UploadLineRig rig(device, kNoTicks);
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.device().waitForImageBytes(2 * 256, seconds(30)));
  rig.startUpload();
  ASSERT_TRUE(rig.device().waitForImageBytes(3 * 256, seconds(30)));
  const DeviceReport report = rig.device().report();
  EXPECT_TRUE(imageOf(report) == firmwareFileBytes().substr(0, 3 * 256));
  EXPECT_EQ(rig.notable("onProgress").size(), 1u);
}

// The main window holds the receive thread inside onUploadDone (15 s in the program); ticks
// meanwhile still count and report on the timer thread, and nothing deadlocks.
TEST(UploadOverLineTest, TicksDuringALongUploadDoneHandlerNoDeadlockNoLostState) {
  const milliseconds interval(30);
  DeviceSettings device;
  device.finalAckAfterPage = 1;
  std::atomic<bool> holding{false};
  UploadLineRig rig(device, interval, [&] {
    holding = true;
    std::this_thread::sleep_for(20 * interval);
    holding = false;
  });
  ASSERT_TRUE(rig.identify());
  rig.startUpload();
  ASSERT_TRUE(rig.waitForCount("onUploadDone", 1, seconds(30)));
  ASSERT_TRUE(rig.waitForCount("onUploadError", 1, seconds(30)));
  const auto done = rig.notable("onUploadDone")[0];
  const auto report = rig.notable("onUploadError")[0];
  EXPECT_EQ(report.value.toInt(), 3);
  EXPECT_GT(report.at, done.at);
  EXPECT_NE(report.thread, done.thread);

  // Once the handler has returned the timer is stopped: no more reports.
  while (holding) std::this_thread::sleep_for(milliseconds(5));
  std::this_thread::sleep_for(10 * interval);
  const auto reports = rig.notable("onUploadError").size();
  std::this_thread::sleep_for(20 * interval);
  EXPECT_EQ(rig.notable("onUploadError").size(), reports);
  EXPECT_TRUE(rig.device().report().puskReceived);
}

}  // namespace
