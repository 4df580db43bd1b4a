#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/ProgramEntry.h"
#include "elements/Dispatch.h"
#include "tests/app/UnitFixture.h"
#include "tools/PreparedPortTree.h"

namespace {

// The unit's creation order, the controls among them in their focus order.
const std::vector<std::string> kCreationOrder = {
    "mainWindow", "errorTitle", "errorHint", "writeButton", "statusLine", "portList",
    "sendMerge", "identificationUnit", "uploadUnit", "receiveRouter", "serialPort",
    "writePressedFan", "uploadProgress", "foundFan", "portListLocker", "closePortMerge",
    "updateVersionLabel", "crcField", "crcReceivedCaption", "crcCaption", "writeEnableMerge",
    "selectedPort", "portChosenFan", "finishFan", "hideValue", "showValue", "normalViewFan",
    "windowEnableMerge", "finishShowFan", "okButton", "successText", "successFan",
    "successShowValue", "errorViewValue", "errorFan", "errorViewFan", "errorPicture",
    "errorViewGate", "gateCloser", "doneSwitch", "errorCheck", "successDelay"};

// One run of the entry, with the information box replaced by a recorder and the window closed
// by the user as soon as the message loop runs.
struct EntryRun {
  std::vector<std::pair<std::string, std::string>> infoBoxes;
  bool builtUnit = false;
  bool sawWindowRunning = false;
  bool topLevelWindowsAtInfoBox = false;
  bool unitPublishedAtInfoBox = false;
  int exitCode = -1;

  void run(const std::vector<std::string>& arguments) {
    PreparedPortTree noPorts({});  // the machine's own ports stay untouched
    EntryOptions options;
    options.window.ports = noPorts.catalog();
    options.showInfoBox = [this](const std::string& text, const std::string& caption) {
      infoBoxes.emplace_back(text, caption);
      topLevelWindowsAtInfoBox = !QApplication::topLevelWidgets().isEmpty();
      unitPublishedAtInfoBox = TClassSimpleForm_24C8870::current() != nullptr;
    };
    options.built = [this](TClassSimpleForm_24C8870&) { builtUnit = true; };
    options.running = [this](TClassSimpleForm_24C8870& unit) {
      sawWindowRunning = unit.mainWindow().widget()->isVisible() && dispatch::isOn();
      unit.mainWindow().widget()->close();
    };
    exitCode = runEntry(arguments, options);
  }
};

struct ArgumentCase {
  std::vector<std::string> arguments;
  bool showsInfoBox;
};

class FirstArgumentTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(FirstArgumentTest, OnlyExactlyIhAsTheFirstArgumentShowsTheInfoBox) {
  EntryRun entry;
  entry.run(GetParam().arguments);
  EXPECT_EQ(entry.exitCode, 0);
  if (GetParam().showsInfoBox) {
    ASSERT_EQ(entry.infoBoxes.size(), 1u);
    EXPECT_EQ(entry.infoBoxes[0].first, "Сделано в HiAsm.");
    EXPECT_EQ(entry.infoBoxes[0].second, "HiAsm Info");
    EXPECT_FALSE(entry.builtUnit);
    EXPECT_FALSE(entry.topLevelWindowsAtInfoBox);
    EXPECT_FALSE(entry.unitPublishedAtInfoBox);
  } else {
    EXPECT_TRUE(entry.infoBoxes.empty());
    EXPECT_TRUE(entry.builtUnit);
    EXPECT_TRUE(entry.sawWindowRunning);
  }
  EXPECT_FALSE(dispatch::isOn());
  EXPECT_EQ(TClassSimpleForm_24C8870::current(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstArgumentTest, testing::Values(
    ArgumentCase{{"/ih"}, true},
    ArgumentCase{{"/ih", "more", "args"}, true},
    ArgumentCase{{"/IH"}, false},
    ArgumentCase{{"/ih "}, false},
    ArgumentCase{{"x/ih"}, false},
    ArgumentCase{{"/i"}, false},
    ArgumentCase{{""}, false},
    ArgumentCase{{"COM3", "/ih"}, false},
    ArgumentCase{{}, false}));

TEST(ProgramRunTest, StartsAndClosesInOrderAndDestroysInReverse) {
  std::vector<std::string> order;  // what happened, in order
  std::vector<std::string> created, destroyed, held;
  bool clickReachedAfterClose = false;

  EntryOptions options;
  options.window.elementDestroyed = [&](const std::string& name) { destroyed.push_back(name); };
  options.built = [&](TClassSimpleForm_24C8870& unit) {
    EXPECT_EQ(TClassSimpleForm_24C8870::current(), &unit);
    EXPECT_FALSE(dispatch::isOn());
    EXPECT_TRUE(unit.mainWindow().widget()->isHidden());
    created = unit.elements().names();
    for (const std::string& name : created)
      if (unit.elements().holds(name)) held.push_back(name);
    unit.mainWindow().onCreate.link([&, window = unit.mainWindow().widget()](const TData& v) {
      order.push_back(std::string("onCreate") + (v.isEmpty() ? " empty" : " value") +
                      (window->isVisible() ? " shown" : " hidden"));
    });
    unit.mainWindow().onClose.link([&](const TData& v) {
      order.push_back(std::string("onClose") + (v.isEmpty() ? " empty" : " value") +
                      (dispatch::isOn() ? " dispatch on" : " dispatch off"));
    });
    unit.writeButton().onClick.link([&](const TData&) { clickReachedAfterClose = true; });
  };
  options.running = [&](TClassSimpleForm_24C8870& unit) {
    order.push_back(unit.mainWindow().widget()->isVisible() ? "running shown" : "running hidden");
    unit.writeButton().doEnabled(TData(1));
    unit.mainWindow().widget()->close();  // the user closes the window
    order.push_back(dispatch::isOn() ? "closed, dispatch on" : "closed, dispatch off");
    // Whatever is raised after the close reaches nothing.
    unit.writeButton().button()->click();
  };

  EXPECT_EQ(runEntry({}, options), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"onCreate empty hidden", "running shown",
                                             "onClose empty dispatch on", "closed, dispatch off"}));
  EXPECT_FALSE(clickReachedAfterClose);
  EXPECT_EQ(created, kCreationOrder);
  std::vector<std::string> reversed(held.rbegin(), held.rend());
  EXPECT_EQ(destroyed, reversed);
  ASSERT_FALSE(destroyed.empty());
  EXPECT_EQ(destroyed.back(), "mainWindow");
}

struct CloseCase {
  const char* name;
  bool enabled;
  bool programClose;
  std::optional<TData> closeCheck;  // none: not linked
  bool accepted;
};

class CloseRequestTest : public testing::TestWithParam<CloseCase> {};

TEST_P(CloseRequestTest, CloseIsRefusedOnlyWhileDisabledOrByTheCloseCheck) {
  const CloseCase& c = GetParam();
  dispatch::ScopedSwitch on(true);
  {
    TClassSimpleForm_24C8870 unit;
    THISimpleForm& window = unit.mainWindow();
    int onCloseCount = 0;
    window.onClose.link([&](const TData&) { ++onCloseCount; });
    if (c.closeCheck) window.closeCheck.link([value = *c.closeCheck] { return value; });
    window.widget()->show();
    window.doEnabled(TData(c.enabled ? 1 : 0));
    if (c.programClose)
      window.doClose(TData());
    else
      window.widget()->close();
    EXPECT_EQ(window.closed(), c.accepted);
    EXPECT_EQ(window.widget()->isVisible(), !c.accepted);
    EXPECT_EQ(onCloseCount, c.accepted ? 1 : 0);
    EXPECT_EQ(dispatch::isOn(), !c.accepted);
  }
  QCoreApplication::processEvents();
}

INSTANTIATE_TEST_SUITE_P(Cases, CloseRequestTest, testing::Values(
    CloseCase{"UserCloseUnlinked", true, false, std::nullopt, true},
    CloseCase{"UserCloseCheckZero", true, false, TData(0), true},
    CloseCase{"UserCloseCheckText", true, false, TData("abc"), true},
    CloseCase{"UserCloseCheckOne", true, false, TData(1), false},
    CloseCase{"ProgramCloseSkipsTheCheck", true, true, TData(1), true},
    CloseCase{"UserCloseWhileDisabled", false, false, std::nullopt, false},
    CloseCase{"ProgramCloseWhileDisabled", false, true, std::nullopt, false}),
    [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(UnitFixture, KeyboardMovesTheFocusBetweenControlsInCreationOrder) {
  QWidget* window = u().mainWindow().widget();
  u().writeButton().doEnabled(TData(1));
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QWidget* button = u().writeButton().widget();
  QWidget* status = u().statusLine().widget();
  QWidget* ports = u().portList().comboBox();

  struct Step {
    QWidget* from;
    int key;
    Qt::KeyboardModifiers modifiers;
    QWidget* to;
  };
  const std::vector<Step> steps = {
      {button, Qt::Key_Tab, Qt::NoModifier, status},
      {status, Qt::Key_Tab, Qt::NoModifier, ports},
      {ports, Qt::Key_Tab, Qt::ShiftModifier, status},
      {status, Qt::Key_Backtab, Qt::ShiftModifier, button},
      {button, Qt::Key_Right, Qt::NoModifier, status},
      {button, Qt::Key_PageDown, Qt::NoModifier, status},
      {status, Qt::Key_Down, Qt::NoModifier, ports},
      {status, Qt::Key_PageUp, Qt::NoModifier, button},
  };
  for (const Step& step : steps) {
    step.from->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), step.from);
    QTest::keyClick(step.from, Qt::Key(step.key), step.modifiers);
    EXPECT_EQ(QApplication::focusWidget(), step.to)
        << "key " << step.key << " from " << step.from->metaObject()->className() << " to "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
  }
}

}  // namespace
