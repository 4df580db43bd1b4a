#pragma once
// The whole program in this process, run as a user runs it: the entry with its message loop, a
// port list holding the given simulated devices as COM1, COM2, ... (each the device simulator on
// the master of a pseudo terminal), and the user's actions as keyboard and mouse input.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/hiSimpleForm_24C8870.h"
#include "tests/end_to_end/WindowViews.h"
#include "tools/DeviceSimulator.h"
#include "tools/PreparedPortTree.h"
#include "tools/PseudoTerminal.h"

class ProgramRig {
 public:
  struct Timing {
    std::chrono::microseconds successHold{300'000};
    std::chrono::milliseconds silenceInterval{1000};
  };

  explicit ProgramRig(std::vector<DeviceSettings> devices, Timing timing);
  explicit ProgramRig(std::vector<DeviceSettings> devices) : ProgramRig(std::move(devices), Timing{}) {}
  ~ProgramRig() noexcept;

  // Runs the program with no argument; `session` acts as the user once the message loop runs and
  // should end by closing the window (a window left open is closed after it). Returns the exit code.
  int run(const std::function<void(TClassSimpleForm_24C8870&)>& session);

  DeviceSimulator& device(std::size_t index) { return *devices_.at(index); }
  const std::string& terminalPath(std::size_t index) const { return lines_.at(index)->slavePath(); }

 private:
  std::vector<std::unique_ptr<PseudoTerminal>> lines_;
  std::unique_ptr<PreparedPortTree> tree_;
  std::vector<std::unique_ptr<DeviceSimulator>> devices_;
  Timing timing_;
};

// The user's actions. Each returns once the input has been handled by the message loop.
namespace user {
// Picks the entry at `index` of the port list with the arrow keys, as from the keyboard.
void pick(TClassSimpleForm_24C8870& unit, int index);
void pressWrite(TClassSimpleForm_24C8870& unit);
void pressOk(TClassSimpleForm_24C8870& unit);
// The close box (a user close request).
void closeWindow(TClassSimpleForm_24C8870& unit);
}  // namespace user

// Lets the message loop run until `condition` holds or the timeout has passed.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
bool waitForView(const TClassSimpleForm_24C8870& unit, const WindowView& view, std::chrono::milliseconds timeout);

// Holds a port the way another program would (an exclusive flock) for as long as it lives.
class PortHeldElsewhere {
 public:
  explicit PortHeldElsewhere(const std::string& path);
  ~PortHeldElsewhere() noexcept;
  PortHeldElsewhere(const PortHeldElsewhere&) = delete;
  PortHeldElsewhere& operator=(const PortHeldElsewhere&) = delete;
  bool holding() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The image the build embeds, read from its file.
std::string firmwareFileBytes();
// The Windows-1251 spelling of a UTF-8 text.
std::string cp1251(const char* utf8);
std::string text(const std::vector<std::uint8_t>& bytes);
