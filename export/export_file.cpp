#include "export/export_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/io_faults.h"
#include "platform/locations.h"
#include "resources/strings/string_table.h"

namespace quidora {
namespace {

using platform::IoFault;
using platform::IoFaults;
using platform::IoOp;

// Asks the hook whether this operation fails; when it does, sets errno as the system would.
bool Injected(IoFaults* faults, IoOp op) {
  if (faults == nullptr) return false;
  switch (faults->Next(op)) {
    case IoFault::None:
      return false;
    case IoFault::NoSpace:
      errno = ENOSPC;
      return true;
    case IoFault::IoError:
      errno = EIO;
      return true;
  }
  return false;
}

void Tell(MessageService& messages, StringId id, MessageIcon icon) {
  messages.SetWaitCursor(false);
  messages.Show(LoadString(id), icon);
}

// A descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; false when the close reports an error (a delayed write failure).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class FileSink final : public ByteSink {
 public:
  FileSink(int fd, IoFaults* faults) : fd_(fd), faults_(faults) {}
  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      if (Injected(faults_, IoOp::Write)) return false;
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

// A new, private file of an unused hidden name in `folder`; -1 when none can be made.
int CreateTemporary(int folder, std::string& name) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    unsigned long long random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
      random = static_cast<unsigned long long>(std::time(nullptr)) * 7919u +
               static_cast<unsigned long long>(::getpid()) * 131u + static_cast<unsigned>(attempt);
    }
    char text[48];
    std::snprintf(text, sizeof text, ".quidora-export-%016llx.tmp", random);
    name = text;
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
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

}  // namespace

ExportResult WriteExportFile(const ExportRequest& request, const ExportServices& services,
                             const std::function<bool(ByteSink&)>& fill) {
  // A name is one file name: no separator of either system, no terminator.
  if (request.name.empty() ||
      request.name.find_first_of(std::u16string_view(u"\\/\0", 3)) != std::u16string_view::npos) {
    return ExportResult::Refused;
  }
  const std::u16string devicePath = ExportDevicePath(request.name, request.folder);
  if (devicePath.empty()) return ExportResult::Refused;
  const auto target = platform::MapDevicePath(devicePath, services.locations);
  if (!target) return ExportResult::Refused;
  const std::string name = target->filename().string();

  MessageService& messages = services.messages;
  IoFaults* faults = services.faults;
  const bool business = request.folder == kExportBusiness;
  const auto& folderPath = business ? services.locations.business : services.locations.personal;
  // Everything below works relative to this one opened folder, so a folder swapped for a link
  // after the check cannot redirect the file.
  Descriptor folder(
      platform::IsPlainWritableFolder(folderPath)
          ? ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
          : -1);
  if (folder.get() < 0) {
    Tell(messages, business ? StringId::ExportNoBusinessFolder : StringId::ExportNoPersonalFolder,
         MessageIcon::Exclamation);
    return ExportResult::FolderMissing;
  }

  bool replacing = false;
  struct stat existing {};
  if (::fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    messages.SetWaitCursor(false);
    if (messages.Show(LoadString(StringId::ExportFileExists), MessageIcon::Exclamation,
                      MessageButtons::YesNo) != MessageAnswer::Yes) {
      return ExportResult::KeptExisting;
    }
    replacing = true;
    // A rename cannot replace a folder: say so before writing anything.
    if (S_ISDIR(existing.st_mode)) {
      Tell(messages, StringId::ExportCannotDelete, MessageIcon::Stop);
      return ExportResult::CannotReplace;
    }
  } else if (errno != ENOENT) {
    // The name itself is unusable here (too long, for one).
    Tell(messages, StringId::ExportCannotCreate, MessageIcon::Stop);
    return ExportResult::CannotCreate;
  }

  std::string temporary;
  Descriptor file(Injected(faults, IoOp::Create) ? -1 : CreateTemporary(folder.get(), temporary));
  if (file.get() < 0) {
    Tell(messages, StringId::ExportCannotCreate, MessageIcon::Stop);
    return ExportResult::CannotCreate;
  }
  // A new file holds financial data and stays private (0600); a replaced file keeps the mode
  // its owner gave it.
  if (replacing && S_ISREG(existing.st_mode) &&
      ::fchmod(file.get(), existing.st_mode & 07777) != 0) {
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    Tell(messages, StringId::ExportCannotCreate, MessageIcon::Stop);
    return ExportResult::CannotCreate;
  }
  FileSink sink(file.get(), faults);
  bool written = fill(sink);
  written = written && !Injected(faults, IoOp::Sync) && ::fsync(file.get()) == 0;
  written = file.Close() && written;
  if (!written) {
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    Tell(messages, StringId::ExportWriteFailed, MessageIcon::Stop);
    return ExportResult::WriteFailed;
  }
  if (Injected(faults, IoOp::Rename) || !MoveIntoPlace(folder.get(), temporary, name, replacing)) {
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    Tell(messages, replacing ? StringId::ExportCannotDelete : StringId::ExportCannotCreate,
         MessageIcon::Stop);
    return replacing ? ExportResult::CannotReplace : ExportResult::CannotCreate;
  }
  // The file has its name; without the folder's sync the rename may not survive a power cut.
  if (Injected(faults, IoOp::FolderSync) || ::fsync(folder.get()) != 0) {
    Tell(messages, StringId::ExportWriteFailed, MessageIcon::Stop);
    return ExportResult::WriteFailed;
  }
  return ExportResult::Written;
}

}  // namespace quidora
