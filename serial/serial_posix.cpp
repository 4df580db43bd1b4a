// POSIX (Linux) serial backend: termios2 with BOTHER for the exact speed, poll beside an eventfd
// for the receive wait, flock + TIOCEXCL + UUCP lock files for exclusive use.
//
// Only the kernel's own terminal headers are used here: <asm/termbits.h> (struct termios2)
// clashes with glibc's <termios.h>, so that header must not be included in this file.

#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "SerialBackend.h"
#include "UucpLockFile.h"

namespace {

// The one place where the system's error codes become ours.
PortError errorFromOs(int code) {
  switch (code) {
    case 0: return PortError::None;
    case ENOENT:
    case ENOTDIR: return PortError::NotFound;
    case EBUSY:
    case EWOULDBLOCK: return PortError::Busy;
    case EACCES:
    case EPERM:
    case EROFS: return PortError::AccessDenied;
    case ENOTTY: return PortError::NotATerminal;
    case EINVAL: return PortError::SettingsRefused;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EBADF: return PortError::LineGone;
    case ETIMEDOUT: return PortError::TimedOut;
    default: return PortError::Failed;
  }
}

PortError lastError() { return errorFromOs(errno); }

// A descriptor that closes itself; -1 means none. close is never retried: on Linux the
// descriptor is gone even when close reports EINTR.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() noexcept { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Wakes a blocked poll: an eventfd (a pipe where there is none). Repeated wake-ups collapse into
// one; the waiter drains it.
class WakeUp {
 public:
  WakeUp() {
    read_.reset(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (read_.valid()) return;
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
      read_.reset(ends[0]);
      write_.reset(ends[1]);
    }
  }
  bool valid() const { return read_.valid(); }
  int pollFd() const { return read_.get(); }
  void signal() noexcept {
    const int fd = write_.valid() ? write_.get() : read_.get();
    if (fd < 0) return;
    const std::uint64_t one = 1;
    // A full pipe or a saturated counter already means "woken".
    while (::write(fd, &one, write_.valid() ? 1 : sizeof one) < 0 && errno == EINTR) {
    }
  }
  void drain() noexcept {
    std::uint64_t sink[8];
    while (true) {
      const ssize_t got = ::read(read_.get(), sink, sizeof sink);
      if (got > 0 && write_.valid()) continue;  // a pipe may hold more
      if (got < 0 && errno == EINTR) continue;
      break;
    }
  }

 private:
  FileDescriptor read_;
  FileDescriptor write_;  // only for the pipe fallback
};

int retryPoll(pollfd* fds, nfds_t count, int timeoutMs) {
  int ready;
  do ready = ::poll(fds, count, timeoutMs); while (ready < 0 && errno == EINTR);
  return ready;
}

constexpr int kOpenFlags = O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

// Opens the device and takes the advisory lock; checks that it is a terminal and that no live lock
// file names it. The same checks serve the trial open and the real one.
FileDescriptor openChecked(const std::string& devicePath, const std::vector<std::string>& lockDirectories,
                           PortError& error) {
  FileDescriptor fd(::open(devicePath.c_str(), kOpenFlags));
  if (!fd.valid()) {
    error = lastError();
    return {};
  }
  termios2 present{};
  if (::ioctl(fd.get(), TCGETS2, &present) != 0) {
    error = PortError::NotATerminal;
    return {};
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? PortError::Busy : lastError();
    return {};
  }
  if (heldByLiveLockFile(lockDirectories, devicePath)) {
    error = PortError::Busy;
    return {};
  }
  error = PortError::None;
  return fd;
}

// Serial-core drivers only: other devices refuse TIOCGSERIAL/TIOCSSERIAL, which is fine.
void requestLowLatency(int fd) {
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
  if (serial.flags & ASYNC_LOW_LATENCY) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &serial);
}

// Sets or clears DTR and RTS; a device without modem lines (a pseudo terminal) refuses that,
// which is not an error.
PortError setModemLines(int fd, bool dtr, bool rts) {
  int raise = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
  int lower = (dtr ? 0 : TIOCM_DTR) | (rts ? 0 : TIOCM_RTS);
  for (auto [request, bits] : {std::pair{TIOCMBIC, lower}, std::pair{TIOCMBIS, raise}}) {
    if (bits == 0) continue;
    if (::ioctl(fd, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL) return lastError();
  }
  return PortError::None;
}

tcflag_t characterSizeFlag(std::uint8_t dataBits) {
  switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

// The line parameters as termios flags over the present ones.
void layOver(termios2& t, const SerialLineSettings& s) {
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | characterSizeFlag(s.dataBits) | CREAD | CLOCAL | HUPCL;
  t.c_ispeed = s.baudRate;
  t.c_ospeed = s.baudRate;
  if (s.stopBits != StopBits::One) t.c_cflag |= CSTOPB;
  switch (s.parity) {
    case Parity::None: break;
    case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: t.c_cflag |= PARENB; break;
    case Parity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
  }
  if (s.ctsOutputFlow) t.c_cflag |= CRTSCTS;

  t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC |
                 IXON | IXANY | IXOFF | IMAXBEL | IUTF8);
  if (s.parityCheck) t.c_iflag |= INPCK;
  if (s.xonXoffOutput) t.c_iflag |= IXON;
  if (s.xonXoffInput) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = s.xonChar;
  t.c_cc[VSTOP] = s.xoffChar;

  if (s.rawBytes) {
    t.c_oflag &= ~(OPOST | OLCUC | ONLCR | OCRNL | ONOCR | ONLRET | OFILL | OFDEL);
    t.c_lflag &= ~(ISIG | ICANON | XCASE | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE |
                   FLUSHO | PENDIN | IEXTEN | TOSTOP);
  }
}

// What must have stuck after the line parameters were applied.
bool lineParametersHeld(const termios2& t, const SerialLineSettings& s) {
  const bool parityOn = (t.c_cflag & PARENB) != 0;
  return (t.c_cflag & CBAUD) == BOTHER && t.c_ospeed == s.baudRate && t.c_ispeed == s.baudRate &&
         (t.c_cflag & CSIZE) == characterSizeFlag(s.dataBits) &&
         ((t.c_cflag & CSTOPB) != 0) == (s.stopBits != StopBits::One) &&
         parityOn == (s.parity != Parity::None) && ((t.c_cflag & CRTSCTS) != 0) == s.ctsOutputFlow &&
         ((t.c_iflag & IXON) != 0) == s.xonXoffOutput && ((t.c_iflag & IXOFF) != 0) == s.xonXoffInput &&
         (!s.rawBytes || ((t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 && (t.c_oflag & OPOST) == 0));
}

PortError applyAndReadBack(int fd, const termios2& wanted, termios2& held) {
  if (::ioctl(fd, TCSETS2, &wanted) != 0) return lastError() == PortError::NotATerminal
                                                    ? PortError::NotATerminal
                                                    : PortError::SettingsRefused;
  if (::ioctl(fd, TCGETS2, &held) != 0) return lastError();
  return PortError::None;
}

}  // namespace

struct SerialBackend::Impl {
  std::string devicePath;
  FileDescriptor port;
  WakeUp wake;
  OwnLockFile lockFile;
  std::mutex writeMutex;  // one writer at a time, so each call's bytes stay together
};

SerialBackend::SerialBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SerialBackend::~SerialBackend() noexcept { close(); }

std::unique_ptr<SerialBackend> SerialBackend::open(const std::string& devicePath,
                                                   const std::vector<std::string>& lockDirectories,
                                                   PortError& error) {
  auto impl = std::make_unique<Impl>();
  impl->devicePath = devicePath;
  impl->port = openChecked(devicePath, lockDirectories, error);
  if (!impl->port.valid()) return nullptr;
  if (!impl->wake.valid()) {
    error = lastError();
    return nullptr;
  }
  if ((error = impl->lockFile.acquire(lockDirectories, devicePath)) != PortError::None) return nullptr;
  // Keeps other non-root openers out while we hold the port (root is not kept out: the advisory
  // lock covers that case for programs that honour it).
  ::ioctl(impl->port.get(), TIOCEXCL);
  return std::unique_ptr<SerialBackend>(new SerialBackend(std::move(impl)));
}

PortError SerialBackend::tryOpen(const std::string& devicePath, const std::vector<std::string>& lockDirectories) {
  PortError error;
  FileDescriptor fd = openChecked(devicePath, lockDirectories, error);
  return error;
}

bool SerialBackend::reportsUnknownUart(const std::string& devicePath) {
  FileDescriptor fd(::open(devicePath.c_str(), kOpenFlags));
  if (!fd.valid()) return false;
  serial_struct serial{};
  return ::ioctl(fd.get(), TIOCGSERIAL, &serial) == 0 && serial.type == PORT_UNKNOWN;
}

void SerialBackend::raiseCurrentThreadPriority() noexcept {
  const id_t thread = static_cast<id_t>(::gettid());
  errno = 0;
  const int present = ::getpriority(PRIO_PROCESS, thread);
  if (present == -1 && errno != 0) return;
  ::setpriority(PRIO_PROCESS, thread, std::max(present - 2, -20));
}

bool SerialBackend::isOpen() const noexcept { return impl_ && impl_->port.valid(); }

PortError SerialBackend::discardQueues() noexcept {
  if (::ioctl(impl_->port.get(), TCFLSH, TCIOFLUSH) != 0) return lastError();
  return PortError::None;
}

void SerialBackend::requestQueueSizes(std::size_t, std::size_t) noexcept {
  // The tty layer's buffers are fixed; there is nothing to ask for.
}

PortError SerialBackend::applyLineParameters(const SerialLineSettings& settings) {
  const int fd = impl_->port.get();
  termios2 present{};
  if (::ioctl(fd, TCGETS2, &present) != 0) return lastError();
  termios2 wanted = present;
  layOver(wanted, settings);
  termios2 held{};
  if (const PortError error = applyAndReadBack(fd, wanted, held); error != PortError::None) return error;
  if (!lineParametersHeld(held, settings)) return PortError::SettingsRefused;
  // After the speed: leaving B0 raises both lines on some drivers.
  if (const PortError error = setModemLines(fd, settings.dtrAsserted, settings.rtsAsserted);
      error != PortError::None)
    return error;
  requestLowLatency(fd);
  return PortError::None;
}

PortError SerialBackend::applyTimeLimits(const SerialLineSettings& settings) {
  // Reads return at once with what is queued (the descriptor is non-blocking too); the write
  // limit is a deadline of each write call.
  if (!settings.readReturnsAtOnce()) return PortError::SettingsRefused;
  const int fd = impl_->port.get();
  termios2 wanted{};
  if (::ioctl(fd, TCGETS2, &wanted) != 0) return lastError();
  wanted.c_cc[VMIN] = 0;
  wanted.c_cc[VTIME] = 0;
  termios2 held{};
  if (const PortError error = applyAndReadBack(fd, wanted, held); error != PortError::None) return error;
  return (held.c_cc[VMIN] == 0 && held.c_cc[VTIME] == 0) ? PortError::None : PortError::SettingsRefused;
}

PortError SerialBackend::applyWatchedConditions(const SerialLineSettings& settings) {
  // Received characters are what poll watches (POLLIN); no other condition can be asked for.
  return settings.watchReceivedCharacters ? PortError::None : PortError::SettingsRefused;
}

WriteResult SerialBackend::write(std::string_view bytes, SteadyTime deadline) {
  std::lock_guard lock(impl_->writeMutex);
  const int fd = impl_->port.get();
  WriteResult result;
  while (result.written < bytes.size()) {
    const ssize_t sent = ::write(fd, bytes.data() + result.written, bytes.size() - result.written);
    if (sent > 0) {
      result.written += static_cast<std::size_t>(sent);
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno != EAGAIN) {
      result.error = lastError();
      return result;
    }
    // The output buffer is full: wait for room until the deadline.
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return result;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    pollfd room{fd, POLLOUT, 0};
    const int ready = retryPoll(&room, 1, static_cast<int>(std::min<long long>(left, 60'000)));
    if (ready < 0) {
      result.error = lastError();
      return result;
    }
    if (room.revents & (POLLERR | POLLHUP | POLLNVAL)) {
      result.error = PortError::LineGone;
      return result;
    }
  }
  return result;
}

WaitResult SerialBackend::waitForInput() {
  pollfd watched[2] = {{impl_->port.get(), POLLIN, 0}, {impl_->wake.pollFd(), POLLIN, 0}};
  if (retryPoll(watched, 2, -1) < 0) return WaitResult::LineGone;
  if (watched[1].revents != 0) {
    impl_->wake.drain();
    return WaitResult::Stopped;
  }
  if (watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return WaitResult::LineGone;
  return WaitResult::InputReady;
}

void SerialBackend::interruptWait() noexcept { impl_->wake.signal(); }

std::optional<std::size_t> SerialBackend::queuedCount(PortError* error) {
  int count = 0;
  if (::ioctl(impl_->port.get(), FIONREAD, &count) != 0) {
    if (error) *error = lastError();
    return std::nullopt;
  }
  if (error) *error = PortError::None;
  return static_cast<std::size_t>(std::max(count, 0));
}

std::optional<std::string> SerialBackend::read(std::size_t maxBytes) {
  std::string bytes(maxBytes, '\0');
  if (maxBytes == 0) return bytes;
  ssize_t got;
  do got = ::read(impl_->port.get(), bytes.data(), maxBytes); while (got < 0 && errno == EINTR);
  if (got < 0) {
    if (errno == EAGAIN) return std::string();
    return std::nullopt;
  }
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

void SerialBackend::close() noexcept {
  if (!impl_ || !impl_->port.valid()) return;
  const int fd = impl_->port.get();
  ::ioctl(fd, TCFLSH, TCIOFLUSH);  // unsent bytes are dropped, nothing waits for them
  ::ioctl(fd, TIOCNXCL);           // the tty may outlive us if others have it open
  ::flock(fd, LOCK_UN);
  impl_->port.reset();
  impl_->lockFile.release();
}
