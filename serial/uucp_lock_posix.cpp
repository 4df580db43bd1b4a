#include "UucpLockFile.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

bool processAlive(pid_t pid) {
  if (pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The owner's process id: ASCII decimal (HDB and Qt style, leading blanks allowed) or, for a
// four-byte file, the old binary form. Nothing when the file cannot be read or names no process.
std::optional<pid_t> ownerOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  char text[64];
  ssize_t length;
  do length = ::read(fd, text, sizeof text); while (length < 0 && errno == EINTR);
  ::close(fd);
  if (length <= 0) return std::nullopt;
  ssize_t i = 0;
  while (i < length && (text[i] == ' ' || text[i] == '\t')) ++i;
  long pid = 0;
  bool digits = false;
  for (; i < length && text[i] >= '0' && text[i] <= '9' && pid < 100000000; ++i, digits = true)
    pid = pid * 10 + (text[i] - '0');
  if (digits) return static_cast<pid_t>(pid);
  if (length == 4) {
    std::int32_t binary;
    std::memcpy(&binary, text, sizeof binary);
    return static_cast<pid_t>(binary);
  }
  return std::nullopt;
}

bool liveLockAt(const std::string& path) {
  const auto owner = ownerOf(path);
  return owner && processAlive(*owner);
}

std::string joinPath(const std::string& directory, const std::string& name) {
  return directory.empty() || directory.back() == '/' ? directory + name : directory + "/" + name;
}

enum class CreateResult { Created, HeldByOther, NotHere };

CreateResult createIn(const std::string& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd >= 0) {
      char text[16];
      const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
      ssize_t written;
      do written = ::write(fd, text, static_cast<std::size_t>(length)); while (written < 0 && errno == EINTR);
      ::close(fd);
      if (written != length) {
        ::unlink(path.c_str());
        return CreateResult::NotHere;
      }
      return CreateResult::Created;
    }
    if (errno != EEXIST) return CreateResult::NotHere;
    if (liveLockAt(path)) return CreateResult::HeldByOther;
    ::unlink(path.c_str());  // stale: its process is gone
  }
  return CreateResult::NotHere;
}

}  // namespace

std::string lockFileNameFor(const std::string& devicePath) {
  const auto slash = devicePath.find_last_of('/');
  return "LCK.." + (slash == std::string::npos ? devicePath : devicePath.substr(slash + 1));
}

bool heldByLiveLockFile(const std::vector<std::string>& directories, const std::string& devicePath) {
  const std::string name = lockFileNameFor(devicePath);
  for (const std::string& directory : directories)
    if (liveLockAt(joinPath(directory, name))) return true;
  return false;
}

PortError OwnLockFile::acquire(const std::vector<std::string>& directories, const std::string& devicePath) {
  release();
  if (heldByLiveLockFile(directories, devicePath)) return PortError::Busy;
  const std::string name = lockFileNameFor(devicePath);
  for (const std::string& directory : directories) {
    const std::string path = joinPath(directory, name);
    switch (createIn(path)) {
      case CreateResult::Created: path_ = path; return PortError::None;
      case CreateResult::HeldByOther: return PortError::Busy;
      case CreateResult::NotHere: break;
    }
  }
  return PortError::None;
}

void OwnLockFile::release() noexcept {
  if (path_.empty()) return;
  const auto owner = ownerOf(path_);
  if (owner && *owner == ::getpid()) ::unlink(path_.c_str());
  path_.clear();
}
