#include "cli/export_command.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "core/sorts.h"
#include "export/csv_files.h"
#include "export/whole_file.h"

namespace quidora::cli {

namespace {

namespace fs = std::filesystem;

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

// Writes the bytes `fill` produces to `file`, replacing what has that name.
Outcome WriteWhole(const fs::path& file, const std::function<bool(ByteSink&)>& fill) {
  struct stat existing {};
  if (::stat(file.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    return Refused(file.string() + " is a folder");
  }
  const fs::path folderPath = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  OwnedDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) return Refused(Failure("cannot create a file in", folderPath));
  // The file is the user's own, made with the permissions the umask gives.
  const WholeFileOptions options{".quidora-cli-", 0666, true, nullptr};
  switch (WriteWholeFile(folder.get(), file.filename().string(), options, fill)) {
    case WholeFileStep::Done:
      return {};
    case WholeFileStep::Create:
      return Refused(Failure("cannot create a file in", folderPath));
    case WholeFileStep::Write:
    case WholeFileStep::Name:
    case WholeFileStep::FolderSync:
      break;
  }
  return Refused(Failure("cannot write", file));
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
  if (!SortMoneyByDate(money, kAscending, messages)) return Refused(messages.shown);

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
