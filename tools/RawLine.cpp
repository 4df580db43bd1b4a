#include "RawLine.h"

// termios2 and BOTHER come from the kernel's own header, which cannot be mixed with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool setRawLine(int fd, unsigned bitsPerSecond) {
  termios2 line{};
  if (::ioctl(fd, TCGETS2, &line) != 0) return false;
  line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
  line.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
  line.c_ispeed = bitsPerSecond;
  line.c_ospeed = bitsPerSecond;
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = 0;
  return ::ioctl(fd, TCSETS2, &line) == 0;
}
