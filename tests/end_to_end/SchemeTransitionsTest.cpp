// The main window's answers to what the units report, with no device behind them: the unit's
// events are raised as the receive thread and the timer thread raise them, and the views follow
// the window's transition table, the odd transitions included.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <QWidget>

#include "app/StartHandlers.h"
#include "elements/Dispatch.h"
#include "tests/end_to_end/ProgramRig.h"

namespace {

using namespace std::chrono_literals;

struct Step {
  enum Kind { Found, PressWrite, UploadDone, UploadError, ErrorDuringHold } kind;
  WindowView viewAfter;
};

struct Transitions {
  const char* name;
  std::vector<Step> steps;
};

WindowView with(WindowView view, bool successShown, int errorParts) {
  view.successShown = successShown;
  view.errorPartsShown = errorParts;
  return view;
}

class SchemeTransitionsTest : public testing::TestWithParam<Transitions> {
 protected:
  void SetUp() override {
    MainWindowOptions options;
    options.ports = noPorts.catalog();
    options.successHold = 200ms;
    options.silenceInterval = std::chrono::hours(1);  // no silence report of its own
    unit = std::make_unique<TClassSimpleForm_24C8870>(options);
    dispatch::setOn(true);
    startHandlers::runAll();
  }
  void TearDown() override {
    unit->mainWindow().doEnabled(TData(1));
    unit->mainWindow().widget()->close();
    unit.reset();
  }

  // Raises `report` on a thread of its own, as the receive or timer thread would, and lets the
  // message loop run until it has returned (the success hold runs inside it).
  void onWorker(const std::function<void()>& report) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      report();
      done = true;
    });
    waitFor([&] { return done.load(); }, 10s);
    worker.join();
  }

  void perform(const Step& step) {
    TClassMultiElementEx_2538BB0& upload = unit->uploadUnit();
    switch (step.kind) {
      case Step::Found: onWorker([&] { unit->identificationUnit().onFound.fire(TData("TARVENMOLIX")); }); break;
      case Step::PressWrite: user::pressWrite(*unit); break;
      case Step::UploadDone: onWorker([&] { upload.onUploadDone.fire(TData("1234465A")); }); break;
      case Step::UploadError: onWorker([&] { upload.onUploadError.fire(TData("AB")); }); break;
      case Step::ErrorDuringHold:
        onWorker([&] {
          std::thread silence([&] {
            std::this_thread::sleep_for(50ms);
            upload.onUploadError.fire(TData(3));
          });
          upload.onUploadDone.fire(TData("1234465A"));
          silence.join();
        });
        break;
    }
  }

  PreparedPortTree noPorts{{}};
  std::unique_ptr<TClassSimpleForm_24C8870> unit;
};

TEST_P(SchemeTransitionsTest, ViewsFollowTheReports) {
  for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
    const Step& step = GetParam().steps[i];
    perform(step);
    EXPECT_TRUE(waitForView(*unit, step.viewAfter, 5s)) << "step " << i << ": " << currentView(*unit);
  }
}

using namespace views;
INSTANTIATE_TEST_SUITE_P(
    MainWindow, SchemeTransitionsTest,
    testing::Values(
        Transitions{"success", {{Step::Found, kIdentified}, {Step::PressWrite, kUploading}, {Step::UploadDone, kSuccess}}},
        Transitions{"rejectedReply", {{Step::Found, kIdentified}, {Step::PressWrite, kUploading}, {Step::UploadError, kError}}},
        Transitions{"chunkBeforeWrite", {{Step::Found, kIdentified}, {Step::UploadError, kError}}},
        Transitions{"silenceDuringTheHoldIsIgnored",
                    {{Step::Found, kIdentified}, {Step::PressWrite, kUploading}, {Step::ErrorDuringHold, kSuccess}}},
        Transitions{"errorAgain", {{Step::Found, kIdentified}, {Step::PressWrite, kUploading}, {Step::UploadError, kError}, {Step::UploadError, kError}}},
        Transitions{"lateFinalAckOverTheErrorView",
                    {{Step::Found, kIdentified},
                     {Step::PressWrite, kUploading},
                     {Step::UploadError, kError},
                     {Step::UploadDone, with(kError, true, 3)}}},
        // The second success report switches doneSwitch off again; the failure after it runs the
        // error sequence, which now hides the error lines and picture.
        Transitions{"secondDoneThenFailure",
                    {{Step::Found, kIdentified},
                     {Step::PressWrite, kUploading},
                     {Step::UploadError, kError},
                     {Step::UploadDone, with(kError, true, 3)},
                     {Step::UploadDone, with(kError, true, 3)},
                     {Step::UploadError, kSuccess}}}),
    [](const testing::TestParamInfo<Transitions>& info) { return std::string(info.param.name); });

}  // namespace
