#pragma once
// Rigs for the serial tests: a prepared port tree (sysfs root, dev root and lock directory in a
// temporary folder, entries pointing at real pseudo terminals), the master side of a pseudo
// terminal as the device's end of the line, thread-safe recorders for events, and helper
// processes that hold a port the way another program would.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "elements/Points.h"
#include "serial/PortCatalog.h"

using namespace std::chrono_literals;

class PreparedTree {
 public:
  PreparedTree();
  ~PreparedTree() noexcept;
  PreparedTree(const PreparedTree&) = delete;
  PreparedTree& operator=(const PreparedTree&) = delete;

  // A sysfs entry (with a `device` entry unless told otherwise) and, when target is not empty, a
  // device node in the dev root: a symbolic link to target.
  void addEntry(const std::string& entry, const std::string& target, bool hasDevice = true);
  std::string devicePath(const std::string& entry) const { return dev_ + "/" + entry; }
  std::string lockFilePath(const std::string& entry) const { return locks_ + "/LCK.." + entry; }
  void writeLockFile(const std::string& entry, pid_t owner) const;
  std::shared_ptr<PortCatalog> catalog() const;

 private:
  std::string root_, sysfs_, dev_, locks_;
};

// The device's end: bytes written by the element come out here, bytes put here reach it.
std::string readFromMaster(int masterFd, std::size_t expected, std::chrono::milliseconds limit = 5s);
// Whatever arrives until the line has been quiet for `quiet`.
std::string readUntilQuiet(int masterFd, std::chrono::milliseconds quiet = 150ms);
void writeToMaster(int masterFd, const std::string& bytes);

// Records the values an event carries, from any thread, and lets a test wait for them.
class Recorder {
 public:
  WorkPoint point();
  bool waitForCount(std::size_t count, std::chrono::milliseconds limit = 5s);
  std::vector<std::string> texts() const;
  std::vector<int> numbers() const;
  std::size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<TData> values_;
};

// Another process: it sleeps until this object goes away, optionally holding an advisory lock
// on a device the whole time.
class HelperProcess {
 public:
  static HelperProcess idle();
  static HelperProcess holdingLockOn(const std::string& devicePath);
  // The id of a process that has already ended (for stale lock files).
  static pid_t endedProcessId();

  HelperProcess(HelperProcess&& other) noexcept;
  ~HelperProcess() noexcept;
  pid_t pid() const { return pid_; }

 private:
  HelperProcess(pid_t pid, int release) : pid_(pid), release_(release) {}
  static HelperProcess start(const std::string* lockPath);
  pid_t pid_ = -1;
  int release_ = -1;
};

// Threads of this process, from /proc/self/task.
std::size_t threadCount();
// Processor time this process has used, all threads together.
std::chrono::nanoseconds processCpuTime();
