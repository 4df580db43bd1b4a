#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "elements/Dispatch.h"
#include "tests/app/UnitFixture.h"

namespace {

using namespace std::chrono_literals;

// What an event delivered: the value as text, its chained value, and when it ran.
struct Delivery {
  std::string text;
  std::optional<std::int32_t> chained;
  int selectedIndexThen;
};

TEST_F(UnitFixture, OperationsFromAnotherThreadArriveInCallOrderAndNeverBlockIt) {
  int statusChanges = 0;
  QObject::connect(u().statusLine().edit(), &QLineEdit::textChanged, [&] { ++statusChanges; });
  constexpr int kPorts = 200;

  std::promise<void> finished;
  std::thread worker([&] {
    for (int i = 1; i <= kPorts; ++i) {
      u().portList().doAdd(TData("COM" + std::to_string(i)));
      u().statusLine().doText(TData(i));
      const std::string crc = "C" + std::to_string(i);
      u().crcField().doText(TData(crc));
      // Read back at once on this thread, without waiting for the widget.
      EXPECT_EQ(u().crcField().text().toStr(), crc);
      u().uploadProgress().doPosition(TData(i * 5));
    }
    u().uploadProgress().doPosition(TData(5000));  // held to the range
    u().writeButton().doEnabled(TData("TARVENMOLIX"));
    u().okButton().doVisible(TData(1));
    u().mainWindow().doEnabled(TData(0));
    finished.set_value();
  });
  // The UI thread runs no events while it waits, so the worker has to get through on its own.
  const bool workerDone = finished.get_future().wait_for(60s) == std::future_status::ready;
  worker.join();
  ASSERT_TRUE(workerDone) << "a control operation waited for the UI thread";

  EXPECT_EQ(u().portList().comboBox()->count(), 0) << "applied only on the UI thread";
  EXPECT_EQ(u().crcField().edit()->text(), QString("FFFF"));
  QCoreApplication::processEvents();

  QComboBox* ports = u().portList().comboBox();
  ASSERT_EQ(ports->count(), kPorts);
  for (int i = 0; i < kPorts; ++i) EXPECT_EQ(ports->itemText(i), QString("COM%1").arg(i + 1));
  EXPECT_EQ(ports->currentIndex(), -1);
  EXPECT_EQ(u().statusLine().edit()->text(), QString::number(kPorts));
  EXPECT_EQ(statusChanges, 1) << "a pending text is replaced, not queued once per change";
  EXPECT_EQ(u().crcField().edit()->text(), QString("C%1").arg(kPorts));
  EXPECT_EQ(u().uploadProgress().progressBar()->value(), 1015);
  EXPECT_TRUE(u().writeButton().widget()->isEnabledTo(u().mainWindow().widget()));
  EXPECT_FALSE(u().okButton().widget()->isHidden());
  EXPECT_FALSE(u().mainWindow().widget()->isEnabled());
}

TEST_F(UnitFixture, AnOperationOnTheUiThreadComesAfterWhatAnotherThreadLeftPending) {
  std::thread([&] { u().portList().doAdd(TData("COM1")); }).join();
  u().portList().doAdd(TData("COM2"));  // UI thread: at once, behind COM1
  QComboBox* ports = u().portList().comboBox();
  ASSERT_EQ(ports->count(), 2);
  EXPECT_EQ(ports->itemText(0), QString("COM1"));
  EXPECT_EQ(ports->itemText(1), QString("COM2"));
}

TEST_F(UnitFixture, SetVisibleAndSetEnabledFollowTheTruthRule) {
  struct Case {
    TData value;
    bool expected;
  };
  const std::vector<Case> cases = {
      {TData(0), false}, {TData(1), true}, {TData(-1), true}, {TData(), true},
      {TData(""), true}, {TData("0"), true}, {TData(0.0), true}, {TData("FZ"), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("value '" + c.value.toStr() + "'");
    u().okButton().doVisible(c.value);
    EXPECT_EQ(!u().okButton().widget()->isHidden(), c.expected);
    u().writeButton().doEnabled(c.value);
    EXPECT_EQ(u().writeButton().widget()->isEnabled(), c.expected);
  }
}

TEST_F(UnitFixture, SetTextTakesTheValueAsAStringAndDecodesWindows1251ForDisplay) {
  THIEdit& status = u().statusLine();
  status.doText(TData(-42));
  EXPECT_EQ(status.edit()->text(), QString("-42"));
  status.doText(TData());
  EXPECT_EQ(status.edit()->text(), QString());
  // Bytes from the device pass through unchanged and are decoded only for the screen.
  const std::string deviceLine = cp1251("Устройство: ") + "\xC1\xCF-1 \x01";
  status.doText(TData(deviceLine));
  EXPECT_EQ(status.text().toStr(), deviceLine);
  EXPECT_EQ(status.edit()->text(), QString("Устройство: БП-1 \x01"));
}

TEST_F(UnitFixture, AddingAnEntryLeavesTheFieldAndTheSelectionAlone) {
  QComboBox* ports = u().portList().comboBox();
  ports->setEditText("typed");
  u().portList().doAdd(TData("COM1"));
  EXPECT_EQ(ports->currentIndex(), -1);
  EXPECT_EQ(ports->currentText(), QString("typed"));

  ports->setCurrentIndex(0);
  u().portList().doAdd(TData("COM2"));
  EXPECT_EQ(ports->currentIndex(), 0);
  EXPECT_EQ(ports->currentText(), QString("COM1"));
}

class PortListPick : public UnitFixture {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    u().portList().doAdd(TData("COM1"));
    u().portList().doAdd(TData("COM3"));
    u().portList().onSelect.link([this](const TData& value) {
      deliveries.push_back({value.toStr(), value.next() ? std::optional(value.next()->toInt()) : std::nullopt,
                            u().portList().comboBox()->currentIndex()});
    });
    u().mainWindow().widget()->show();
  }

  dispatch::ScopedSwitch dispatchOn{true};
  std::vector<Delivery> deliveries;
};

TEST_F(PortListPick, PickingAnEntryRaisesItsTextFromTheMessageLoopAfterTheSelectionChanged) {
  QComboBox* ports = u().portList().comboBox();
  QTest::keyClick(ports, Qt::Key_Down);
  QTest::keyClick(ports, Qt::Key_Down);
  EXPECT_TRUE(deliveries.empty()) << "raised later, from the message loop";
  QCoreApplication::processEvents();
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[1].text, "COM3");
  EXPECT_EQ(deliveries[1].chained, 0);
  EXPECT_EQ(deliveries[1].selectedIndexThen, 1);
}

TEST_F(PortListPick, TypingAPortNameIntoTheFieldPicksNothing) {
  QLineEdit* field = u().portList().comboBox()->lineEdit();
  QTest::keyClicks(field, "COM3");
  QTest::keyClick(field, Qt::Key_Return);
  emit field->editingFinished();  // as when the focus leaves the field
  QCoreApplication::processEvents();
  EXPECT_TRUE(deliveries.empty());
  EXPECT_EQ(u().portList().comboBox()->count(), 2) << "nothing typed becomes an entry";
}

TEST_F(UnitFixture, ButtonsRaiseTheirFixedValues) {
  dispatch::ScopedSwitch on(true);
  std::vector<TData> clicks;
  u().writeButton().onClick.link([&](const TData& v) { clicks.push_back(v); });
  u().okButton().onClick.link([&](const TData& v) { clicks.push_back(v); });
  u().writeButton().doEnabled(TData(1));
  u().okButton().doVisible(TData(1));
  u().mainWindow().widget()->show();
  QTest::mouseClick(u().writeButton().button(), Qt::LeftButton);
  QTest::mouseClick(u().okButton().button(), Qt::LeftButton);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_TRUE(clicks[0].isInt());
  EXPECT_EQ(clicks[0].toInt(), 0);
  EXPECT_TRUE(clicks[1].isEmpty());
}

}  // namespace

namespace {

TEST_F(UnitFixture, DisablingTheFocusedPortListHandsTheFocusToNoOtherControl) {
  QWidget* window = u().mainWindow().widget();
  window->show();
  QApplication::setActiveWindow(window);
  QComboBox* ports = u().portList().comboBox();
  ports->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ports->hasFocus(); }, 2000));
  u().portList().doEnabled(TData(0));  // as when a device has been found
  QLineEdit* status = qobject_cast<QLineEdit*>(u().statusLine().widget());
  ASSERT_NE(status, nullptr);
  EXPECT_FALSE(status->hasFocus());
  EXPECT_FALSE(status->hasSelectedText()) << "the status text is not shown selected";
}

}  // namespace
