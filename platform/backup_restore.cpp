#include "platform/backup_restore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/backup_check.h"
#include "platform/backup_files.h"
#include "platform/backup_listing.h"
#include "platform/locations.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace {

RestoreResult Stop(RestoreResult result, RestoreResult::Outcome outcome, VolumeProblem problem,
                   std::string reason) {
  result.outcome = outcome;
  result.problem = problem;
  result.reason = std::move(reason);
  return result;
}

RestoreResult StopOnFile(RestoreResult result, const FileFailure& failure) {
  return Stop(std::move(result), RestoreResult::Outcome::Failed,
              detail::ProblemOf(0, failure.error, failure.file),
              failure.file.string() + ": " + failure.step + ": " + SystemReason(failure.error));
}

bool IsRegularFile(const std::filesystem::path& file) {
  struct stat info {};
  return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Keeps a store too damaged for SQLite to copy: its files as they are, under a backup's name
// (without a check record, so it is listed as not verified).
BackupResult KeepPlainCopy(const std::filesystem::path& dataFolder, const Clock& clock,
                           IoFaults* faults) {
  BackupResult result;
  const std::filesystem::path folder = BackupFolder(dataFolder);
  if (!MakePrivateFolders(folder)) {
    result.reason = folder.string() + ": cannot make the folder: " + SystemReason(errno);
    result.problem = detail::ProblemOf(0, errno, folder);
    return result;
  }
  SystemTime now = clock.NowUtc();
  now.milliseconds = 0;
  result.id = BackupId{now, BackupKind::BeforeRestore, 0};
  while (BackupNameTaken(folder, result.id)) ++result.id.sequence;
  result.file = folder / StoreBackupName(result.id);
  const std::filesystem::path store = StoreFileOf(dataFolder);
  // The log holds changes not yet folded into the file: it goes along, under the copy's name.
  std::vector<std::pair<std::filesystem::path, std::filesystem::path>> copies;
  if (const std::filesystem::path registry = RegistryFileOf(dataFolder); IsRegularFile(registry)) {
    copies.emplace_back(registry, folder / RegistryBackupName(result.id));
  }
  if (const std::filesystem::path log = store.string() + "-wal"; IsRegularFile(log)) {
    copies.emplace_back(log, result.file.string() + "-wal");
  }
  copies.emplace_back(store, result.file);  // last: the name that lists it
  std::vector<std::filesystem::path> placed;
  for (const auto& [from, to] : copies) {
    const std::filesystem::path temp = TemporaryNameFor(to);
    std::optional<FileFailure> failure = CopyFileSynced(from, temp, faults);
    if (!failure) failure = RenameFile(temp, to, false, faults);
    if (failure) {
      ::unlink(temp.c_str());
      for (const std::filesystem::path& done : placed) ::unlink(done.c_str());
      result.problem = detail::ProblemOf(0, failure->error, failure->file);
      result.reason = failure->file.string() + ": " + failure->step + ": " +
                      SystemReason(failure->error);
      return result;
    }
    placed.push_back(to);
  }
  if (auto failure = SyncFolder(folder, faults)) {
    result.problem = detail::ProblemOf(0, failure->error, failure->file);
    result.reason = failure->file.string() + ": " + SystemReason(failure->error);
    return result;
  }
  if (IsRegularFile(folder / RegistryBackupName(result.id))) {
    result.registry = folder / RegistryBackupName(result.id);
  }
  result.outcome = BackupResult::Outcome::Made;
  return result;
}

// Folds the store's log into its file, so that the log cannot be applied to the file that
// replaces it. False when the store cannot be opened for that (it is damaged).
bool FoldLog(const std::filesystem::path& store) {
  struct stat log {};
  if (::stat((store.string() + "-wal").c_str(), &log) != 0 || log.st_size == 0) return true;
  sql::Connection db;
  if (db.Open(store.string(), SQLITE_OPEN_READWRITE) != SQLITE_OK) return false;
  return db.Exec("PRAGMA wal_checkpoint(TRUNCATE)") == SQLITE_OK;
}

}  // namespace

std::filesystem::path RegistryCopyOf(const std::filesystem::path& backupFile) {
  if (const std::optional<BackupId> id = ParseStoreBackupName(backupFile.filename().string())) {
    const std::filesystem::path registry = backupFile.parent_path() / RegistryBackupName(*id);
    if (IsRegularFile(registry)) return registry;
  }
  const std::filesystem::path beside = backupFile.string() + ".reg";
  return IsRegularFile(beside) ? beside : std::filesystem::path();
}

RestoreResult RestoreBackup(const std::filesystem::path& dataFolder,
                            const std::filesystem::path& backupFile, const Clock& clock,
                            const RestoreOptions& options) {
  RestoreResult result;
  const std::string name = backupFile.string();
  const CopyCheck check = VerifyStoreCopy(backupFile);
  if (!check.passed) {
    return Stop(std::move(result), RestoreResult::Outcome::Refused, check.problem,
                name + ": " + check.reason);
  }
  // A backup of the rotation must also still be what was verified when it was made.
  if (const std::optional<BackupId> id = ParseStoreBackupName(backupFile.filename().string())) {
    if (const std::optional<CheckRecord> record =
            ReadCheckRecord(backupFile.parent_path() / CheckRecordName(*id));
        record && DigestFile(backupFile) != record->store) {
      return Stop(std::move(result), RestoreResult::Outcome::Refused, VolumeProblem::Damaged,
                  name + ": it is damaged (it changed since it was verified)");
    }
  }
  result.records = check.records;
  std::filesystem::path registryCopy;
  if (options.settings) {
    registryCopy = options.registry.empty() ? RegistryCopyOf(backupFile) : options.registry;
    if (registryCopy.empty() || !IsRegularFile(registryCopy)) {
      return Stop(std::move(result), RestoreResult::Outcome::Refused, VolumeProblem::Missing,
                  name + ": it has no copy of the settings beside it");
    }
  }

  const std::filesystem::path store = StoreFileOf(dataFolder);
  if (IsRegularFile(store)) {
    result.keptBefore = MakeBackup(dataFolder, BackupKind::BeforeRestore, clock,
                                   BackupOptions{{}, options.faults});
    if (result.keptBefore.outcome == BackupResult::Outcome::StoreDamaged) {
      result.keptBefore = KeepPlainCopy(dataFolder, clock, options.faults);
      result.keptAsPlainCopy = true;
    }
    if (result.keptBefore.outcome != BackupResult::Outcome::Made) {
      return Stop(std::move(result), RestoreResult::Outcome::Failed,
                  result.keptBefore.problem,
                  "the store in place could not be backed up first: " + result.keptBefore.reason);
    }
  }

  // Named as a volume being made beside the store, which the next start removes when a kill
  // leaves it.
  const std::filesystem::path tempStore =
      store.string() + ".new-" + TemporaryNameFor("").filename().string().substr(5);
  if (auto failure = CopyFileSynced(backupFile, tempStore, options.faults)) {
    return StopOnFile(std::move(result), *failure);
  }
  std::filesystem::path tempRegistry;
  if (!registryCopy.empty()) {
    tempRegistry = TemporaryNameFor(RegistryFileOf(dataFolder));
    if (auto failure = CopyFileSynced(registryCopy, tempRegistry, options.faults)) {
      ::unlink(tempStore.c_str());
      return StopOnFile(std::move(result), *failure);
    }
  }
  // A log left beside the old store would be read into the new one. It is folded into the old
  // file first; a store too damaged for that is already kept whole with its log, so the log
  // goes.
  if (!FoldLog(store)) ::unlink((store.string() + "-wal").c_str());
  if (auto failure = RenameFile(tempStore, store, true, options.faults)) {
    ::unlink(tempStore.c_str());
    if (!tempRegistry.empty()) ::unlink(tempRegistry.c_str());
    return StopOnFile(std::move(result), *failure);
  }
  ::unlink((store.string() + "-wal").c_str());
  ::unlink((store.string() + "-shm").c_str());
  if (!tempRegistry.empty()) {
    if (auto failure = RenameFile(tempRegistry, RegistryFileOf(dataFolder), true, options.faults)) {
      ::unlink(tempRegistry.c_str());
      SyncFolder(dataFolder, nullptr);
      return StopOnFile(std::move(result), *failure);
    }
  }
  if (auto failure = SyncFolder(dataFolder, options.faults)) {
    return StopOnFile(std::move(result), *failure);
  }
  result.outcome = RestoreResult::Outcome::Restored;
  return result;
}

}  // namespace quidora::platform
