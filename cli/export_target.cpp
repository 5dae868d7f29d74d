#include "cli/export_target.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/removed_on_signal.h"

namespace quidora::cli {

namespace {

namespace fs = std::filesystem;

class DescriptorSink final : public ByteSink {
 public:
  explicit DescriptorSink(int fd) : fd_(fd) {}
  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

 private:
  int fd_;
};

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

Outcome Refused(std::string error) {
  return Outcome{kExitRefused, std::move(error)};
}

std::string Failure(const std::string& what, const std::string& file) {
  return what + " " + file + ": " + std::strerror(errno);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

const char* KindOf(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  return "not a regular file";
}

// Whether `file` is one of the data folder's files under another name.
bool IsDataFolderFile(const struct stat& file, const fs::path& dataFolder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dataFolder, error)) {
    struct stat own {};
    if (::lstat(entry.path().c_str(), &own) == 0 && SameFile(own, file)) return true;
  }
  return false;
}

// The target's folder, opened, and the target's name in it, once both are fit to write.
struct Place {
  int folder = -1;  // owned by the caller's Descriptor
  std::string name;
  bool exists = false;
  mode_t mode = 0;
};

Outcome Locate(const ExportTarget& target, Place& place) {
  const fs::path file(target.file);
  const std::string name = file.filename().string();
  if (name.empty() || name == "." || name == "..") return Refused(target.file + " is a folder");
  const fs::path folderPath = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) return Refused(Failure("cannot create a file in", folderPath.string()));

  struct stat folderInfo {};
  struct stat dataInfo {};
  if (::fstat(folder.get(), &folderInfo) != 0) {
    return Refused(Failure("cannot open the folder", folderPath.string()));
  }
  if (::stat(target.dataFolder.c_str(), &dataInfo) == 0 && SameFile(folderInfo, dataInfo)) {
    return Refused(target.file + " is in the data folder " + target.dataFolder.string() +
                   "; choose another folder");
  }

  struct stat existing {};
  if (::fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return Refused(Failure("cannot use", target.file));
  } else if (!S_ISREG(existing.st_mode)) {
    return Refused(target.file + " is " + KindOf(existing.st_mode) +
                   ", not a regular file; it was left as it is");
  } else if (IsDataFolderFile(existing, target.dataFolder)) {
    return Refused(target.file + " is a file of the data folder " + target.dataFolder.string() +
                   "; choose another name");
  } else if (!target.force) {
    return Refused(target.file + " exists; add --force to replace it");
  } else {
    place.exists = true;
    place.mode = existing.st_mode & 07777;
  }
  place.name = name;
  place.folder = ::dup(folder.get());
  if (place.folder < 0) return Refused(Failure("cannot open the folder", folderPath.string()));
  return {};
}

// A new file of an unused hidden name in `folder`; -1 when none can be made.
int CreateTemporary(int folder, std::string& name) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    unsigned long long random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
      random = static_cast<unsigned long long>(::getpid()) * 7919u + static_cast<unsigned>(attempt);
    }
    char text[48];
    std::snprintf(text, sizeof text, ".quidora-cli-%016llx.tmp", random);
    name = text;
    const int fd =
        ::openat(folder, text, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the complete file its name. A name that was free at the check is never taken over
// from someone who made it meanwhile; one that was a regular file must still be one.
bool MoveIntoPlace(int folder, const std::string& temporary, const Place& place) {
  if (place.exists) {
    struct stat now {};
    if (::fstatat(folder, place.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(now.st_mode)) {
      errno = EEXIST;
      return false;
    }
    return ::renameat(folder, temporary.c_str(), folder, place.name.c_str()) == 0;
  }
  if (::renameat2(folder, temporary.c_str(), folder, place.name.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::linkat(folder, temporary.c_str(), folder, place.name.c_str(), 0) != 0) return false;
  ::unlinkat(folder, temporary.c_str(), 0);
  return true;
}

Outcome WriteToStandardOutput(const std::function<bool(ByteSink&)>& fill) {
  DescriptorSink sink(STDOUT_FILENO);
  if (!fill(sink)) return Refused(Failure("cannot write", "to standard output"));
  return {};
}

}  // namespace

Outcome CheckExportTarget(const ExportTarget& target) {
  if (target.file == "-") return {};
  Place place;
  Outcome checked = Locate(target, place);
  if (place.folder >= 0) ::close(place.folder);
  return checked;
}

Outcome WriteExportTarget(const ExportTarget& target, const std::function<bool(ByteSink&)>& fill) {
  if (target.file == "-") return WriteToStandardOutput(fill);
  Place place;
  if (Outcome located = Locate(target, place); located.status != kExitDone) return located;
  Descriptor folder(place.folder);

  std::string temporary;
  RemovedOnSignal guard;
  Descriptor file(guard.Create(folder.get(), [&](std::string& name) {
    const int fd = CreateTemporary(folder.get(), name);
    temporary = name;
    return fd;
  }));
  if (file.get() < 0) return Refused(Failure("cannot create a file beside", target.file));
  const auto failed = [&](const char* what) {
    const Outcome outcome = Refused(Failure(what, target.file));
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    return outcome;
  };
  if (place.exists && ::fchmod(file.get(), place.mode) != 0) return failed("cannot write");
  DescriptorSink sink(file.get());
  bool written = fill(sink) && ::fsync(file.get()) == 0;
  written = file.Close() && written;
  if (!written) return failed("cannot write");
  if (!MoveIntoPlace(folder.get(), temporary, place)) return failed("cannot write");
  if (::fsync(folder.get()) != 0) return Refused(Failure("cannot write", target.file));
  return {};
}

}  // namespace quidora::cli
