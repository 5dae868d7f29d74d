// The data folder's lock, without Qt, for the programs that write to a store they did not open
// at start (quidora-cli's import, backup and restore).
//
// The device program holds an exclusive flock on "quidora.lock" in the data folder for as long
// as it runs. A writer that takes the same lock can never write beside it, whatever path names
// the folder: the file is opened relative to the folder actually reached, never through a link.
// The lock ends with the object (or the process), and the file stays, as the device program
// leaves it: removing it would let a third writer lock a new file while a second still holds
// the old one.
#pragma once

#include <string>

namespace quidora::platform {

inline constexpr char kFolderLockName[] = "quidora.lock";

class FolderLock {
 public:
  enum class Outcome {
    Held,     // this object holds the lock
    Busy,     // another process holds it (the device program runs on the folder)
    Failed,   // the folder or the lock file cannot be used; Problem() says why
  };

  FolderLock() = default;
  ~FolderLock();
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Tries once, without waiting. The folder must exist.
  Outcome Acquire(const std::string& dataFolder);
  bool Held() const { return fd_ >= 0; }
  void Release();

  // Why the last Acquire failed, in plain words (the system's reason and the file).
  const std::string& Problem() const { return problem_; }

 private:
  int fd_ = -1;
  std::string problem_;
};

}  // namespace quidora::platform
