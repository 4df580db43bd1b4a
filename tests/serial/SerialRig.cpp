#include "SerialRig.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

PreparedTree::PreparedTree() {
  char pattern[] = "/tmp/serial-tree-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  sysfs_ = root_ + "/sys";
  dev_ = root_ + "/dev";
  locks_ = root_ + "/lock";
  for (const auto& dir : {sysfs_, dev_, locks_}) fs::create_directories(dir);
}

PreparedTree::~PreparedTree() noexcept {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void PreparedTree::addEntry(const std::string& entry, const std::string& target, bool hasDevice) {
  fs::create_directories(sysfs_ + "/" + entry);
  if (hasDevice) fs::create_directories(sysfs_ + "/" + entry + "/device");
  if (!target.empty()) fs::create_symlink(target, devicePath(entry));
}

void PreparedTree::writeLockFile(const std::string& entry, pid_t owner) const {
  std::ofstream file(lockFilePath(entry), std::ios::trunc);
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(owner));
  file << text;
}

std::shared_ptr<PortCatalog> PreparedTree::catalog() const {
  return std::make_shared<PortCatalog>(sysfs_, dev_, std::vector<std::string>{locks_});
}

std::string readFromMaster(int masterFd, std::size_t expected, std::chrono::milliseconds limit) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (got.size() < expected) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{masterFd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(masterFd, buffer, std::min(sizeof buffer, expected - got.size()));
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    else if (n == 0 || (errno != EAGAIN && errno != EINTR)) break;
  }
  return got;
}

std::string readUntilQuiet(int masterFd, std::chrono::milliseconds quiet) {
  std::string got;
  while (true) {
    pollfd p{masterFd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) return got;
    char buffer[4096];
    const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
    if (n <= 0) return got;
    got.append(buffer, static_cast<std::size_t>(n));
  }
}

void writeToMaster(int masterFd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(masterFd, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<std::size_t>(n);
    else if (n < 0 && errno != EINTR && errno != EAGAIN) throw std::runtime_error("write to master failed");
  }
}

WorkPoint Recorder::point() {
  return [this](const TData& value) {
    std::lock_guard lock(mutex_);
    values_.push_back(value);
    changed_.notify_all();
  };
}

bool Recorder::waitForCount(std::size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return values_.size() >= count; });
}

std::vector<std::string> Recorder::texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const TData& v : values_) out.push_back(v.toStr());
  return out;
}

std::vector<int> Recorder::numbers() const {
  std::lock_guard lock(mutex_);
  std::vector<int> out;
  for (const TData& v : values_) out.push_back(v.toInt());
  return out;
}

std::size_t Recorder::size() const {
  std::lock_guard lock(mutex_);
  return values_.size();
}

HelperProcess HelperProcess::start(const std::string* lockPath) {
  int ready[2], release[2];
  if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Child: only plain system calls from here on.
    ::close(ready[0]);
    ::close(release[1]);
    char status = 'y';
    if (lockPath) {
      const int fd = ::open(lockPath->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) status = 'n';
    }
    (void)!::write(ready[1], &status, 1);
    char sink;
    while (::read(release[0], &sink, 1) < 0 && errno == EINTR) {
    }
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  char status = 0;
  while (::read(ready[0], &status, 1) < 0 && errno == EINTR) {
  }
  ::close(ready[0]);
  HelperProcess helper(pid, release[1]);
  if (status != 'y') throw std::runtime_error("helper could not take the lock");
  return helper;
}

HelperProcess HelperProcess::idle() { return start(nullptr); }
HelperProcess HelperProcess::holdingLockOn(const std::string& devicePath) { return start(&devicePath); }

pid_t HelperProcess::endedProcessId() {
  pid_t pid;
  {
    HelperProcess helper = idle();
    pid = helper.pid();
  }
  return pid;
}

HelperProcess::HelperProcess(HelperProcess&& other) noexcept : pid_(other.pid_), release_(other.release_) {
  other.pid_ = -1;
  other.release_ = -1;
}

HelperProcess::~HelperProcess() noexcept {
  if (release_ >= 0) ::close(release_);
  if (pid_ > 0) {
    int status;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

std::size_t threadCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++count;
  return count;
}

std::chrono::nanoseconds processCpuTime() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}
