#include "ProgramRig.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include "app/ProgramEntry.h"
#include "elements/Cp1251.h"

ProgramRig::ProgramRig(std::vector<DeviceSettings> devices, Timing timing) : timing_(timing) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    lines_.push_back(std::make_unique<PseudoTerminal>());
    paths.push_back(lines_.back()->slavePath());
  }
  tree_ = std::make_unique<PreparedPortTree>(paths);
  for (std::size_t i = 0; i < devices.size(); ++i) {
    devices_.push_back(std::make_unique<DeviceSimulator>(*lines_[i], std::move(devices[i])));
    devices_.back()->start();
  }
}

ProgramRig::~ProgramRig() noexcept {
  for (auto& device : devices_) device->stop();
}

int ProgramRig::run(const std::function<void(TClassSimpleForm_24C8870&)>& session) {
  EntryOptions options;
  options.window.ports = tree_->catalog();
  options.window.successHold = timing_.successHold;
  options.window.silenceInterval = timing_.silenceInterval;
  options.running = [&session](TClassSimpleForm_24C8870& unit) {
    session(unit);
    if (!unit.mainWindow().closed()) {
      // A session that stopped early (a failed assertion) still lets the program end.
      unit.mainWindow().doEnabled(TData(1));
      unit.mainWindow().widget()->close();
    }
  };
  return runEntry({}, options);
}

namespace user {

void pick(TClassSimpleForm_24C8870& unit, int index) {
  QComboBox* ports = unit.portList().comboBox();
  ports->setFocus();
  while (ports->currentIndex() < index) QTest::keyClick(ports, Qt::Key_Down);
  while (ports->currentIndex() > index) QTest::keyClick(ports, Qt::Key_Up);
  QCoreApplication::processEvents();  // the pick is raised from the message loop
}

void pressWrite(TClassSimpleForm_24C8870& unit) {
  QTest::mouseClick(unit.writeButton().button(), Qt::LeftButton);
  QCoreApplication::processEvents();
}

void pressOk(TClassSimpleForm_24C8870& unit) {
  QTest::mouseClick(unit.okButton().button(), Qt::LeftButton);
  QCoreApplication::processEvents();
}

void closeWindow(TClassSimpleForm_24C8870& unit) {
  unit.mainWindow().widget()->close();
  QCoreApplication::processEvents();
}

}  // namespace user

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}

bool waitForView(const TClassSimpleForm_24C8870& unit, const WindowView& view, std::chrono::milliseconds timeout) {
  return waitFor([&] { return currentView(unit) == view; }, timeout);
}

PortHeldElsewhere::PortHeldElsewhere(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

PortHeldElsewhere::~PortHeldElsewhere() noexcept {
  if (fd_ >= 0) ::close(fd_);
}

std::string firmwareFileBytes() {
  std::ifstream file(FIRMWARE_IMAGE_PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string cp1251(const char* utf8) { return cp1251FromUtf8(utf8); }

std::string text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }
