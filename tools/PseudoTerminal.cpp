#include "PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace {

void makeRaw(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return;
  cfmakeraw(&settings);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &settings);
}

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) fail("posix_openpt");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    const int error = errno;
    ::close(master_);
    errno = error;
    fail("unlockpt");
  }
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    const int error = errno;
    ::close(master_);
    errno = error;
    fail("ptsname_r");
  }
  slavePath_ = name;
  // Without one open slave descriptor a pty master reports a hang-up, and the slave's settings
  // are reset when its last descriptor closes; keep one open for the pair's life.
  slaveKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveKeeper_ >= 0) makeRaw(slaveKeeper_);
  makeRaw(master_);
}

void PseudoTerminal::closeMaster() noexcept {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

PseudoTerminal::~PseudoTerminal() noexcept {
  closeMaster();
  if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
}
