#pragma once
// A pseudo-terminal pair for tests, the demo and the benchmark: the master end is the device's
// side of the line, the slave path is what the tool opens as its port. Both ends are put in raw
// mode so every byte passes unchanged.

#include <string>

class PseudoTerminal {
 public:
  // Throws std::system_error when the system has no pseudo terminals to give.
  PseudoTerminal();
  ~PseudoTerminal() noexcept;
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int masterFd() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }

  // Closes the master end: the slave side sees a hang-up.
  void closeMaster() noexcept;

 private:
  int master_ = -1;
  int slaveKeeper_ = -1;  // keeps the slave side configured until the tool has opened it
  std::string slavePath_;
};
