#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace quidora::platform {

FolderLock::~FolderLock() { Release(); }

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), problem_(std::move(other.problem_)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    problem_ = std::move(other.problem_);
  }
  return *this;
}

void FolderLock::Release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

FolderLock::Outcome FolderLock::Acquire(const std::string& dataFolder) {
  if (fd_ >= 0) return Outcome::Held;
  problem_.clear();
  const int folder = open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    problem_ = dataFolder + ": " + std::strerror(errno);
    return Outcome::Failed;
  }
  const int fd = openat(folder, kFolderLockName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  const int openError = errno;
  close(folder);
  const std::string lockPath = dataFolder + "/" + kFolderLockName;
  if (fd < 0) {
    problem_ = lockPath + ": " + std::strerror(openError);
    return Outcome::Failed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) return Outcome::Busy;
    problem_ = lockPath + ": " + std::strerror(error);
    return Outcome::Failed;
  }
  fd_ = fd;
  return Outcome::Held;
}

}  // namespace quidora::platform
