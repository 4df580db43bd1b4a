#pragma once
// Reads a terminal's line settings through a descriptor of its own, so a test sees what the
// driver holds rather than what the element meant to set. Kept apart from the tests because the
// kernel's termios2 header clashes with the C library's <termios.h>.

#include <optional>
#include <string>

struct TerminalState {
  unsigned inputSpeed = 0;
  unsigned outputSpeed = 0;
  bool exactSpeed = false;  // BOTHER: the speed is a plain number, not a table entry
  int dataBits = 0;
  bool parity = false;
  bool twoStopBits = false;
  bool hardwareFlow = false;
  bool receiverOn = false;
  bool modemStatusIgnored = false;
  bool softwareFlow = false;      // IXON, IXOFF or IXANY
  bool inputTranslated = false;   // ICRNL, INLCR, IGNCR, ISTRIP, INPCK, PARMRK or BRKINT
  bool outputProcessed = false;   // OPOST
  bool lineDiscipline = false;    // ICANON, ECHO, ISIG or IEXTEN
  int vmin = -1;
  int vtime = -1;
};

std::optional<TerminalState> terminalStateOf(const std::string& path);

// Puts a terminal into a plainly cooked state (9600 bit/s, canonical, echo, CR/LF translation,
// XON/XOFF, 7E2 with hardware flow), so a test can see every setting replaced.
bool makeCooked(const std::string& path);
