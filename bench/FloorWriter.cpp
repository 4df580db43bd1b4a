#include "FloorWriter.h"

// <asm/termbits.h> (struct termios2, for the exact speed) clashes with glibc's <termios.h>, which
// must not be included here.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/DeviceSimulator.h"
#include "tools/PseudoTerminal.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReplyTimeoutMs = 5000;
constexpr unsigned kLineSpeed = 38462;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error("floor writer: " + what + " (" + std::to_string(errno) + ")");
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() noexcept {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Raw 8N1 at the program's exact speed, no flow control, reads return at once.
void makeRawAtLineSpeed(int fd) {
  termios2 t{};
  if (::ioctl(fd, TCGETS2, &t) != 0) fail("TCGETS2");
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | CS8 | CREAD | CLOCAL | HUPCL;
  t.c_ispeed = kLineSpeed;
  t.c_ospeed = kLineSpeed;
  t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON |
                 IXANY | IXOFF | IMAXBEL | IUTF8);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::ioctl(fd, TCSETS2, &t) != 0) fail("TCSETS2");
}

void waitUntilReady(int fd, short events) {
  pollfd watched{fd, events, 0};
  int ready;
  do ready = ::poll(&watched, 1, kReplyTimeoutMs); while (ready < 0 && errno == EINTR);
  if (ready <= 0) fail(ready == 0 ? "timed out waiting on the line" : "poll");
  if (watched.revents & (POLLERR | POLLHUP | POLLNVAL)) fail("line gone");
}

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::write(fd, bytes.data(), bytes.size());
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    } else if (sent < 0 && errno == EAGAIN) {
      waitUntilReady(fd, POLLOUT);
    } else if (!(sent < 0 && errno == EINTR)) {
      fail("write");
    }
  }
}

// Reads exactly `count` bytes; `lastReadAt` is stamped just before the read that completes them.
void readExactly(int fd, std::size_t count, Clock::time_point& lastReadAt) {
  char buffer[8];
  std::size_t got = 0;
  while (got < count) {
    waitUntilReady(fd, POLLIN);
    lastReadAt = Clock::now();
    const ssize_t n = ::read(fd, buffer, count - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      fail("read");
    }
  }
}

void drainInput(int fd) {
  char buffer[256];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace

UploadMeasurement measureFloor(std::span<const std::uint8_t> image) {
  PseudoTerminal line;
  DeviceSimulator device(line);
  device.start();
  Descriptor port(::open(line.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (port.get() < 0) fail("open " + line.slavePath());
  makeRawAtLineSpeed(port.get());
  const int fd = port.get();

  writeAll(fd, "VERS");
  if (!device.waitForIdentificationReplies(1, std::chrono::milliseconds(kReplyTimeoutMs)))
    fail("no identification reply");
  drainInput(fd);

  const std::size_t pages = image.size() / kPageSize;
  UploadMeasurement measured;
  measured.turnaroundMicros.reserve(pages);
  Clock::time_point ackReadAt{};

  const Clock::time_point start = Clock::now();
  const std::chrono::nanoseconds processCpuAtStart = processCpuNow();
  const std::chrono::nanoseconds threadCpuAtStart = threadCpuNow();
  for (std::size_t page = 0; page < pages; ++page) {
    const std::uint8_t* bytes = image.data() + page * kPageSize;
    for (std::size_t i = 0; i < kPageSize; ++i) {
      writeAll(fd, std::string_view(reinterpret_cast<const char*>(bytes + i), 1));
      if (i == 0 && page > 0) measured.turnaroundMicros.push_back(inMicros(Clock::now() - ackReadAt));
    }
    readExactly(fd, page + 1 == pages ? 4 : 2, ackReadAt);  // the last one carries "FZ"
  }
  writeAll(fd, "PUSK");
  measured.wall = Clock::now() - start;
  measured.processCpu = processCpuNow() - processCpuAtStart;
  measured.writerCpu = threadCpuNow() - threadCpuAtStart;

  if (!device.waitForPusk(std::chrono::milliseconds(kReplyTimeoutMs))) fail("PUSK not received");
  const DeviceReport report = device.report();
  requireWholeUpload(report, image);
  measured.deviceTurnaroundMicros = deviceTurnarounds(report);
  return measured;
}
