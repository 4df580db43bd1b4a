#include "TerminalState.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int openTerminal(const std::string& path) { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }

}  // namespace

std::optional<TerminalState> terminalStateOf(const std::string& path) {
  const int fd = openTerminal(path);
  if (fd < 0) return std::nullopt;
  termios2 t{};
  const bool ok = ::ioctl(fd, TCGETS2, &t) == 0;
  ::close(fd);
  if (!ok) return std::nullopt;
  TerminalState s;
  s.inputSpeed = t.c_ispeed;
  s.outputSpeed = t.c_ospeed;
  s.exactSpeed = (t.c_cflag & CBAUD) == BOTHER;
  switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
  }
  s.parity = (t.c_cflag & PARENB) != 0;
  s.twoStopBits = (t.c_cflag & CSTOPB) != 0;
  s.hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
  s.receiverOn = (t.c_cflag & CREAD) != 0;
  s.modemStatusIgnored = (t.c_cflag & CLOCAL) != 0;
  s.softwareFlow = (t.c_iflag & (IXON | IXOFF | IXANY)) != 0;
  s.inputTranslated = (t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK | BRKINT)) != 0;
  s.outputProcessed = (t.c_oflag & OPOST) != 0;
  s.lineDiscipline = (t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) != 0;
  s.vmin = t.c_cc[VMIN];
  s.vtime = t.c_cc[VTIME];
  return s;
}

bool makeCooked(const std::string& path) {
  const int fd = openTerminal(path);
  if (fd < 0) return false;
  termios2 t{};
  bool ok = ::ioctl(fd, TCGETS2, &t) == 0;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE);
  t.c_cflag |= B9600 | (B9600 << IBSHIFT) | CS7 | PARENB | CSTOPB | CRTSCTS;
  t.c_iflag |= ICRNL | IXON | IXOFF | ISTRIP | BRKINT;
  t.c_oflag |= OPOST | ONLCR;
  t.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 5;
  ok = ok && ::ioctl(fd, TCSETS2, &t) == 0;
  ::close(fd);
  return ok;
}
