#pragma once
// The UUCP lock-file convention that minicom and Qt programs follow: a file LCK..<device name> in
// a lock directory, holding the owner's process id as text. A file whose process is alive holds
// the port; one whose process is gone (stale) does not, and is replaced.
// Used on the user-interface thread only.

#include <string>
#include <vector>

#include "SerialBackend.h"

// "LCK..ttyUSB0" for "/dev/ttyUSB0".
std::string lockFileNameFor(const std::string& devicePath);

// True when a lock file of a live process names the device in any of the directories.
bool heldByLiveLockFile(const std::vector<std::string>& directories, const std::string& devicePath);

// The port's own lock file while the port is held.
class OwnLockFile {
 public:
  OwnLockFile() = default;
  ~OwnLockFile() noexcept { release(); }
  OwnLockFile(const OwnLockFile&) = delete;
  OwnLockFile& operator=(const OwnLockFile&) = delete;

  // Busy when a live process holds a lock file for the device; otherwise None, with our own file
  // written in the first directory that takes it (none may: a directory we cannot write is no
  // failure).
  PortError acquire(const std::vector<std::string>& directories, const std::string& devicePath);
  // Removes our file, if it is still ours.
  void release() noexcept;

 private:
  std::string path_;
};
