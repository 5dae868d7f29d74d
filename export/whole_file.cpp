#include "export/whole_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/io_faults.h"

namespace quidora {
namespace {

using platform::FaultInjected;
using platform::IoFaults;
using platform::IoOp;

class FileSink final : public ByteSink {
 public:
  FileSink(int fd, IoFaults* faults) : fd_(fd), faults_(faults) {}
  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      if (FaultInjected(faults_, IoOp::Write)) return false;
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
      written_ += static_cast<off_t>(n);
    }
    // Start the disk on what is written so far while the rest is formatted, so that the sync at
    // the end has little left to wait for. Only a hint: the sync decides.
    if (written_ - started_ >= kStartEvery) {
      ::sync_file_range(fd_, started_, written_ - started_, SYNC_FILE_RANGE_WRITE);
      started_ = written_;
    }
    return true;
  }

 private:
  static constexpr off_t kStartEvery = off_t{8} << 20;
  int fd_;
  IoFaults* faults_;
  off_t written_ = 0;
  off_t started_ = 0;
};

// A new file of an unused hidden name in `folder`; -1 when none can be made.
int CreateTemporary(int folder, const char* prefix, mode_t mode, std::string& name) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    unsigned long long random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
      random = static_cast<unsigned long long>(std::time(nullptr)) * 7919u +
               static_cast<unsigned long long>(::getpid()) * 131u + static_cast<unsigned>(attempt);
    }
    char text[96];
    std::snprintf(text, sizeof text, "%s%016llx.tmp", prefix, random);
    name = text;
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the complete temporary file the chosen name. Without `replace` an existing name is
// never taken over.
bool MoveIntoPlace(int folder, const std::string& temporary, const std::string& name,
                   bool replace) {
  if (replace) return ::renameat(folder, temporary.c_str(), folder, name.c_str()) == 0;
  if (::renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a hard link refuses a taken name as well.
  if (::linkat(folder, temporary.c_str(), folder, name.c_str(), 0) != 0) return false;
  ::unlinkat(folder, temporary.c_str(), 0);
  return true;
}

// Removes the temporary file without losing the errno of the failure.
void RemoveTemporary(int folder, const std::string& temporary) {
  const int error = errno;
  ::unlinkat(folder, temporary.c_str(), 0);
  errno = error;
}

}  // namespace

OwnedDescriptor::~OwnedDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

bool OwnedDescriptor::Close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

WholeFileStep WriteWholeFile(int folder, const std::string& name, const WholeFileOptions& options,
                             const std::function<bool(ByteSink&)>& fill) {
  IoFaults* faults = options.faults;
  std::string temporary;
  OwnedDescriptor file(
      FaultInjected(faults, IoOp::Create)
          ? -1
          : CreateTemporary(folder, options.temporaryPrefix, options.mode, temporary));
  if (file.get() < 0) return WholeFileStep::Create;
  // A replaced file keeps the mode its owner gave it; a new one keeps `options.mode`.
  if (options.keptMode >= 0 && ::fchmod(file.get(), static_cast<mode_t>(options.keptMode)) != 0) {
    file.Close();
    RemoveTemporary(folder, temporary);
    return WholeFileStep::Create;
  }
  FileSink sink(file.get(), faults);
  bool written = fill(sink);
  written = written && !FaultInjected(faults, IoOp::Sync) && ::fsync(file.get()) == 0;
  written = file.Close() && written;
  if (!written) {
    RemoveTemporary(folder, temporary);
    return WholeFileStep::Write;
  }
  if (FaultInjected(faults, IoOp::Rename) ||
      !MoveIntoPlace(folder, temporary, name, options.replace)) {
    RemoveTemporary(folder, temporary);
    return WholeFileStep::Name;
  }
  if (FaultInjected(faults, IoOp::FolderSync) || ::fsync(folder) != 0) {
    return WholeFileStep::FolderSync;
  }
  return WholeFileStep::Done;
}

}  // namespace quidora
