// The whole update as a user runs it: the program with its message loop, the port list holding
// simulated devices, the user picking, pressing "Записать" and "OK"; checked by what the window
// shows and by what the device received.

#include <gtest/gtest.h>

#include <chrono>

#include <QProgressBar>
#include <QTest>

#include "elements/HexText.h"
#include "tests/end_to_end/ProgramRig.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kSoon = 10s;        // for what follows at once, with room for a sanitizer build
constexpr auto kUpload = 600s;     // a whole upload under the slowest sanitizer

std::string statusText(const TClassSimpleForm_24C8870& unit) { return unit.statusLine().text().toStr(); }

std::string deviceLine(const DeviceSettings& device) {
  return cp1251("Устройство: ") + device.designation + "   " + cp1251("Текущая версия ПО: ") + device.version;
}

const std::string kPrompt = cp1251("Выберите порт с подключённым устройством.");
const std::string kNotFound = cp1251("На этом порту устройств не найдено.");

TEST(UpdateTest, FullUpdateFromPickToOk) {
  ProgramRig rig({DeviceSettings{}});
  bool holdSeen = false;
  const int exitCode = rig.run([&](TClassSimpleForm_24C8870& unit) {
    ASSERT_EQ(currentView(unit), views::kChoosingPort);
    EXPECT_EQ(statusText(unit), kPrompt);
    ASSERT_EQ(unit.portList().entries(), std::vector<std::string>{"COM1"}) << "listed before the window showed";

    user::pick(unit, 0);
    ASSERT_TRUE(waitForView(unit, views::kIdentified, kSoon)) << currentView(unit);
    EXPECT_EQ(statusText(unit), deviceLine(rig.device(0).settings()));

    user::pressWrite(unit);
    EXPECT_EQ(currentView(unit), views::kUploading);
    ASSERT_TRUE(rig.device(0).waitForPusk(kUpload));
    // "PUSK" is out: the window holds the uploading view, the bar full, until the hold has passed.
    holdSeen = currentView(unit) == views::kUploading;
    ASSERT_TRUE(waitForView(unit, views::kSuccess, kSoon)) << currentView(unit);
    EXPECT_EQ(unit.uploadProgress().progressBar()->value(), 1015);
    EXPECT_EQ(unit.crcField().text().toStr(), formatHexText(rig.device(0).report().checksum, 4));

    user::pressOk(unit);
    EXPECT_TRUE(unit.mainWindow().closed());
    EXPECT_FALSE(unit.serialPort().isOpen());
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(holdSeen);
  const DeviceReport report = rig.device(0).report();
  EXPECT_TRUE(text(report.received) == "VERS" + firmwareFileBytes() + "PUSK")
      << "the device got " << report.received.size() << " bytes";
  EXPECT_EQ(report.pagesAcknowledged(), 1016u);
}

TEST(UpdateTest, FailedPicksLeaveThePortListOpenForAnotherPick) {
  DeviceSettings wrongMaker;
  wrongMaker.makerWord = "OTHERMAKER";
  DeviceSettings silent;
  silent.noAnswerToVers = true;
  ProgramRig rig({DeviceSettings{}, wrongMaker, silent, DeviceSettings{}});
  const int exitCode = rig.run([&](TClassSimpleForm_24C8870& unit) {
    {
      // COM1 is taken by another program after the list was made: it does not open.
      PortHeldElsewhere held(rig.terminalPath(0));
      ASSERT_TRUE(held.holding());
      user::pick(unit, 0);
      EXPECT_EQ(statusText(unit), kNotFound);
      EXPECT_EQ(currentView(unit), views::kChoosingPort);
    }
    user::pick(unit, 1);  // a device of another maker
    ASSERT_TRUE(waitFor([&] { return rig.device(1).report().identificationReplies == 1; }, kSoon));
    ASSERT_TRUE(waitFor([&] { return statusText(unit) == kNotFound; }, kSoon));
    EXPECT_EQ(currentView(unit), views::kChoosingPort);

    user::pick(unit, 2);  // no answer at all: nothing changes
    ASSERT_TRUE(waitFor([&] { return rig.device(2).report().identificationRequests == 1; }, kSoon));
    QTest::qWait(300);
    EXPECT_EQ(statusText(unit), kNotFound);
    EXPECT_EQ(currentView(unit), views::kChoosingPort);

    user::pick(unit, 3);
    ASSERT_TRUE(waitForView(unit, views::kIdentified, kSoon)) << currentView(unit);
    EXPECT_EQ(statusText(unit), deviceLine(rig.device(3).settings()));

    user::closeWindow(unit);  // the close box, in the identified view
    EXPECT_TRUE(unit.mainWindow().closed());
    EXPECT_FALSE(unit.serialPort().isOpen());
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(text(rig.device(0).report().received), "") << "a held port is not written to";
  EXPECT_EQ(text(rig.device(1).report().received), "VERS");
  EXPECT_EQ(text(rig.device(2).report().received), "VERS");
  EXPECT_EQ(text(rig.device(3).report().received), "VERS");
}

TEST(UpdateTest, RejectedReplyShowsTheErrorViewAtOnce) {
  DeviceSettings device;
  device.wrongChecksumAtPage = 5;
  // A silence report could only come after three ticks; an hour-long tick leaves only the
  // rejection to show the error.
  ProgramRig rig({device}, {.silenceInterval = std::chrono::hours(1)});
  const int exitCode = rig.run([&](TClassSimpleForm_24C8870& unit) {
    user::pick(unit, 0);
    ASSERT_TRUE(waitForView(unit, views::kIdentified, kSoon));
    user::pressWrite(unit);
    ASSERT_TRUE(waitForView(unit, views::kError, kUpload)) << currentView(unit);
    EXPECT_EQ(unit.uploadProgress().progressBar()->value(), 5);
    user::pressOk(unit);
    EXPECT_TRUE(unit.mainWindow().closed());
  });
  EXPECT_EQ(exitCode, 0);
  const DeviceReport report = rig.device(0).report();
  EXPECT_EQ(report.pagesReceived(), 6u) << "no page follows a rejected reply";
  EXPECT_FALSE(report.puskReceived);
}

TEST(UpdateTest, SilenceMidUploadShowsTheErrorViewAboutThreeSecondsLater) {
  DeviceSettings device;
  device.silentFromPage = 3;
  ProgramRig rig({device});  // the real 1000-ms silence tick
  const int exitCode = rig.run([&](TClassSimpleForm_24C8870& unit) {
    user::pick(unit, 0);
    ASSERT_TRUE(waitForView(unit, views::kIdentified, kSoon));
    user::pressWrite(unit);
    ASSERT_TRUE(rig.device(0).waitForImageBytes(4 * 256, kUpload));
    const auto lastAck = rig.device(0).report().acks.back().at;

    user::closeWindow(unit);  // refused: the window is disabled during the upload
    EXPECT_FALSE(unit.mainWindow().closed());
    EXPECT_TRUE(unit.serialPort().isOpen());
    EXPECT_EQ(currentView(unit), views::kUploading);

    ASSERT_TRUE(waitForView(unit, views::kError, 10s)) << currentView(unit);
    EXPECT_GE(std::chrono::steady_clock::now() - lastAck, 2s) << "two to three ticks after the last reply";
    user::pressOk(unit);
    EXPECT_TRUE(unit.mainWindow().closed());
    EXPECT_FALSE(unit.serialPort().isOpen());
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(rig.device(0).report().pagesReceived(), 4u);
}

TEST(UpdateTest, TailOfATwoChunkIdentificationShowsTheErrorViewWithoutAnUpload) {
  DeviceSettings device;
  device.identificationChunkGap = 100ms;
  device.identificationSplitAt = 12;  // "TARVENMOLIX " first, then designation and version
  ProgramRig rig({device});
  const int exitCode = rig.run([&](TClassSimpleForm_24C8870& unit) {
    user::pick(unit, 0);
    ASSERT_TRUE(waitForView(unit, views::kError, kSoon)) << currentView(unit);
    // Accepted on its first chunk, with both words empty (four spaces before "Текущая").
    EXPECT_EQ(statusText(unit), cp1251("Устройство:    Текущая версия ПО: "));
    EXPECT_FALSE(unit.portList().widget()->isEnabledTo(unit.mainWindow().widget()));
    user::pressOk(unit);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(text(rig.device(0).report().received), "VERS");
}

TEST(UpdateTest, HangUpMidUploadEndsBySilenceAndTheProgramClosesCleanly) {
  DeviceSettings device;
  device.hangUpAtPage = 4;
  ProgramRig rig({device}, {.silenceInterval = 100ms});
  const int exitCode = rig.run([&](TClassSimpleForm_24C8870& unit) {
    user::pick(unit, 0);
    ASSERT_TRUE(waitForView(unit, views::kIdentified, kSoon));
    user::pressWrite(unit);
    ASSERT_TRUE(rig.device(0).waitForLineClosed(kUpload));
    ASSERT_TRUE(waitForView(unit, views::kError, kSoon)) << currentView(unit);
    EXPECT_TRUE(waitFor([&] { return !unit.serialPort().receiving(); }, kSoon)) << "the receive loop ended";
    EXPECT_TRUE(unit.serialPort().isOpen()) << "open until the program closes it";
    user::pressOk(unit);
    EXPECT_TRUE(unit.mainWindow().closed());
    EXPECT_FALSE(unit.serialPort().isOpen());
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(rig.device(0).report().pagesReceived(), 5u);
}

}  // namespace
