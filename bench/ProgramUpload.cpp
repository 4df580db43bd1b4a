#include "ProgramUpload.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/StartHandlers.h"
#include "app/hiSimpleForm_24C8870.h"
#include "bench/UploadProbe.h"
#include "elements/Dispatch.h"
#include "tools/DeviceSimulator.h"
#include "tools/PreparedPortTree.h"
#include "tools/PseudoTerminal.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStepTimeout = std::chrono::seconds(5);
constexpr auto kUploadTimeout = std::chrono::seconds(60);

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("program upload: " + what); }

// Runs the event loop until `condition` holds or the timeout has passed.
bool processEventsUntil(const std::function<bool()>& condition, Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Switches dispatch off before the unit is destroyed, as the program's entry does, also when a
// step fails half-way.
struct DispatchOffAtScopeEnd {
  ~DispatchOffAtScopeEnd() noexcept { dispatch::setOn(false); }
};

}  // namespace

UploadMeasurement measureProgramUpload(std::span<const std::uint8_t> image) {
  PseudoTerminal line;
  DeviceSimulator device(line);
  device.start();
  PreparedPortTree tree({line.slavePath()});
  UploadMeasurement measured;
  {
    TClassSimpleForm_24C8870 unit(MainWindowOptions{.successHold = std::chrono::microseconds(0),
                                                    .ports = tree.catalog(),
                                                    .elementDestroyed = {}});
    UploadProbe probe;
    probe.attach(unit.serialPort());
    DispatchOffAtScopeEnd dispatchOff;

    dispatch::setOn(true);
    startHandlers::runAll();  // lists the ports, then shows the window
    QComboBox* ports = unit.portList().comboBox();
    if (!processEventsUntil([&] { return ports->count() == 1; }, kStepTimeout)) fail("COM1 not listed");
    QTest::keyClick(ports, Qt::Key_Down);  // picks COM1
    if (!processEventsUntil([&] { return unit.writeButton().widget()->isEnabled(); }, kStepTimeout))
      fail("the device was not identified");

    // The click comes from the event loop, as a user's would, with a 1-ms timer beside it that
    // records the longest gap between its turns until "PUSK" has gone out.
    probe.arm();
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    Clock::time_point lastTurn{}, clickedAt{};
    Clock::duration longestGap{};
    std::chrono::nanoseconds processCpuAtClick{}, uiCpuAtClick{}, uiCpuAtEnd{};
    const Clock::time_point deadline = Clock::now() + kUploadTimeout;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      const Clock::time_point now = Clock::now();
      longestGap = std::max(longestGap, now - lastTurn);
      lastTurn = now;
      if (probe.finished() || now >= deadline) {
        uiCpuAtEnd = threadCpuNow();
        loop.quit();
      }
    });
    QTimer::singleShot(0, [&] {
      clickedAt = Clock::now();
      processCpuAtClick = processCpuNow();
      uiCpuAtClick = threadCpuNow();
      QTest::mouseClick(unit.writeButton().button(), Qt::LeftButton);
    });
    lastTurn = Clock::now();
    ticker.start();
    loop.exec();
    ticker.stop();
    if (!probe.finished()) fail("no PUSK within " + std::to_string(kUploadTimeout.count()) + " s");

    measured.wall = probe.runCommandWrittenAt() - clickedAt;
    measured.processCpu = probe.processCpuAtRunCommand() - processCpuAtClick;
    measured.uiCpu = uiCpuAtEnd - uiCpuAtClick;
    measured.writerCpu = probe.receiveThreadCpuAtRunCommand() + measured.uiCpu;
    measured.uiStallMillis = std::chrono::duration<double, std::milli>(longestGap).count();

    // The success view, then "OK": the port closes and its receive thread ends.
    if (!processEventsUntil([&] { return unit.mainWindow().widget()->isEnabled() &&
                                         unit.okButton().widget()->isVisible(); },
                            kStepTimeout))
      fail("no success view");
    QTest::mouseClick(unit.okButton().button(), Qt::LeftButton);
    if (!processEventsUntil([&] { return unit.mainWindow().closed(); }, kStepTimeout)) fail("OK did not close");
    if (unit.serialPort().isOpen()) fail("the port stayed open");
    measured.turnaroundMicros = probe.turnaroundMicros();
  }
  QCoreApplication::processEvents();

  if (!device.waitForPusk(std::chrono::duration_cast<std::chrono::milliseconds>(kStepTimeout)))
    fail("the device never received PUSK");
  const DeviceReport report = device.report();
  requireWholeUpload(report, image);
  measured.deviceTurnaroundMicros = deviceTurnarounds(report);
  return measured;
}
