#include "cli/export_command.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "core/sorts.h"
#include "export/csv_files.h"

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

Outcome Refused(std::string error) {
  return Outcome{kExitRefused, std::move(error)};
}

std::string Failure(const std::string& what, const fs::path& file) {
  return what + " " + file.string() + ": " + std::strerror(errno);
}

// Whether `file` is, or would replace, one of the files of the store.
bool IsStoreFile(const fs::path& file, const platform::DeviceLocations& locations) {
  std::error_code error;
  const fs::path target = fs::weakly_canonical(fs::absolute(file, error), error);
  const std::string volume = locations.objectStore.string();
  for (const fs::path& own :
       {fs::path(volume), fs::path(volume + "-wal"), fs::path(volume + "-shm"),
        fs::path(volume + "-journal"), locations.registry}) {
    if (fs::weakly_canonical(own, error) == target) return true;
    std::error_code ignored;
    if (fs::equivalent(own, file, ignored)) return true;  // another name of the same file
  }
  return false;
}

// Writes the bytes `fill` produces to `file`, through a temporary file in the same folder.
Outcome WriteWhole(const fs::path& file, const std::function<bool(ByteSink&)>& fill) {
  struct stat existing {};
  const bool found = ::stat(file.c_str(), &existing) == 0;
  if (found && S_ISDIR(existing.st_mode)) return Refused(file.string() + " is a folder");
  const bool replacing = found && S_ISREG(existing.st_mode);
  const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
    unsigned long long random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
      random = static_cast<unsigned long long>(::getpid()) * 7919u + static_cast<unsigned>(attempt);
    }
    char name[48];
    std::snprintf(name, sizeof name, ".quidora-cli-%016llx.tmp", random);
    temporary = folder / name;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Refused(Failure("cannot create a file in", folder));
  // Financial data: a new file is private; a replaced file keeps the mode its owner gave it.
  if (replacing && ::fchmod(fd, existing.st_mode & 07777) != 0) {
    const Outcome failed = Refused(Failure("cannot write", file));
    ::close(fd);
    ::unlink(temporary.c_str());
    return failed;
  }

  DescriptorSink sink(fd);
  bool written = fill(sink) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (!written) {
    const Outcome failed = Refused(Failure("cannot write", file));
    ::unlink(temporary.c_str());
    return failed;
  }
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    const Outcome failed = Refused(Failure("cannot write", file));
    ::unlink(temporary.c_str());
    return failed;
  }
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool synced = folderFd >= 0 && ::fsync(folderFd) == 0;
  if (folderFd >= 0) ::close(folderFd);
  if (!synced) return Refused(Failure("cannot write", file));
  return {};
}

}  // namespace

Outcome ExportAccount(StoreReader& store, const Request& request,
                      const platform::DeviceLocations& locations, const platform::Clock& clock) {
  AccountList accounts;
  const AccountRecord* account = nullptr;
  if (Outcome found = FindAccount(store, request, accounts, account); found.status != kExitDone) {
    return found;
  }
  if (IsStoreFile(request.file, locations)) {
    return Refused(request.file + " is a file of the store; choose another name");
  }

  MoneySelection selection;
  selection.accountKey = account->key;
  MoneyList money;
  if (!store.ReadMoneyRecords(money, selection)) return StoreFailure(store.LastError());
  CollectedMessages messages;
  if (!SortMoneyByDate(money, request.descending ? kDescending : kAscending, messages)) {
    return Refused(messages.shown);
  }

  TransactionsFile file;
  file.reportDate = clock.NowUtc();
  file.accountName = account->Name();
  file.records = std::span<const MoneyRecord>(money.begin(), money.end());
  CsvOptions options;
  options.encoding = request.unicode ? kExportUnicode : kExportAscii;
  options.dateViewType = request.dateForm;
  options.grouping = request.grouping;
  return WriteWhole(request.file,
                    [&](ByteSink& sink) { return WriteTransactionsCsv(file, options, sink); });
}

}  // namespace quidora::cli
