#include "platform/backup_snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/backup_check.h"
#include "platform/backup_files.h"
#include "platform/backup_listing.h"
#include "platform/io_faults.h"
#include "platform/locations.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace {

BackupResult Fail(BackupResult result, BackupResult::Outcome outcome, VolumeProblem problem,
                  std::string reason) {
  result.outcome = outcome;
  result.problem = problem;
  result.reason = std::move(reason);
  return result;
}

BackupResult FailOnFile(BackupResult result, const FileFailure& failure) {
  return Fail(std::move(result), BackupResult::Outcome::Failed,
              detail::ProblemOf(0, failure.error, failure.file),
              failure.file.string() + ": " + failure.step + ": " + SystemReason(failure.error));
}

// Copies the store's pages into `temp` (a new file) in one read transaction of the store.
// Returns "" or what went wrong; `problem` then says it in the user's terms.
std::string CopyPages(const std::filesystem::path& store, const std::filesystem::path& temp,
                      IoFaults* faults, VolumeProblem& problem) {
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    problem = detail::ProblemOf(0, errno, temp);
    return temp.string() + ": create: " + SystemReason(errno);
  }
  ::close(fd);

  // Without a log beside it the file alone is the store, and nothing writes it while the
  // data folder is held: it is read as an immutable file, so nothing is made beside it. With a
  // log (the device program has the store open) file and log are read together.
  struct stat log {};
  const bool hasLog = ::stat((store.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0;
  sql::Connection source;
  if (const int rc = source.Open(detail::SqliteUri(store, hasLog ? "mode=ro" : "immutable=1"),
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
      rc != SQLITE_OK) {
    problem = detail::ProblemOf(rc, source.SystemErrno(), store);
    return store.string() + ": " + source.ErrorMessage();
  }
  source.Exec("PRAGMA query_only=ON");
  // One read transaction from the first page to the last: a writer beside us cannot mix two
  // states of the store into the copy.
  if (const int rc = source.Exec("BEGIN; SELECT count(*) FROM sqlite_schema"); rc != SQLITE_OK) {
    problem = detail::ProblemOf(rc, source.SystemErrno(), store);
    return store.string() + ": " + source.ErrorMessage();
  }
  sql::Connection target;
  const char* vfs = faults != nullptr ? faults->VfsName().c_str() : nullptr;
  if (const int rc = target.Open(temp.string(), SQLITE_OPEN_READWRITE, vfs); rc != SQLITE_OK) {
    problem = detail::ProblemOf(rc, target.SystemErrno(), temp);
    return temp.string() + ": " + target.ErrorMessage();
  }
  // The copy is synced as a whole once it is complete; a journal of a file that is thrown
  // away on any failure would only cost time.
  target.Exec("PRAGMA journal_mode=OFF");
  target.Exec("PRAGMA synchronous=OFF");
  sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
  if (backup == nullptr) {
    problem = detail::ProblemOf(target.ExtendedErrorCode(), target.SystemErrno(), temp);
    return temp.string() + ": " + target.ErrorMessage();
  }
  const int step = sqlite3_backup_step(backup, -1);
  const int finish = sqlite3_backup_finish(backup);
  source.Exec("COMMIT");
  if (step != SQLITE_DONE || finish != SQLITE_OK) {
    const int rc = step != SQLITE_DONE ? step : finish;
    // The source's failures (a damaged page) and the target's (a full disk) are told apart by
    // where SQLite left its error.
    if ((rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB) {
      problem = VolumeProblem::Damaged;
      return store.string() + ": " + sqlite3_errstr(rc);
    }
    problem = detail::ProblemOf(rc, target.SystemErrno(), temp);
    if (problem == VolumeProblem::Other && target.SystemErrno() == 0) {
      problem = detail::ProblemOf(rc, source.SystemErrno(), store);
    }
    return temp.string() + ": " + (problem == VolumeProblem::NoSpace
                                       ? std::string("no space left on the disk")
                                       : std::string(sqlite3_errstr(rc)));
  }
  return {};
}

void RemoveAll(std::initializer_list<const std::filesystem::path*> files) {
  for (const std::filesystem::path* file : files) {
    if (!file->empty()) ::unlink(file->c_str());
  }
}

}  // namespace

std::filesystem::path StoreFileOf(const std::filesystem::path& dataFolder) {
  return dataFolder / "objectstore.db";
}

std::filesystem::path RegistryFileOf(const std::filesystem::path& dataFolder) {
  return dataFolder / "registry.reg";
}

BackupResult MakeBackup(const std::filesystem::path& dataFolder, BackupKind kind,
                        const Clock& clock, const BackupOptions& options) {
  BackupResult result;
  const std::filesystem::path store = StoreFileOf(dataFolder);
  const std::filesystem::path registry = RegistryFileOf(dataFolder);
  struct stat info {};
  if (::stat(store.c_str(), &info) != 0 && errno == ENOENT) {
    return Fail(std::move(result), BackupResult::Outcome::NoStore, VolumeProblem::Missing,
                "there is no store at " + store.string());
  }
  // The store is not checked on its own: its copy holds its pages, and the copy's check says
  // what is wrong with either, without reading the store twice.
  const bool intoRotation = options.file.empty();
  const std::filesystem::path folder =
      intoRotation ? BackupFolder(dataFolder)
                   : (options.file.has_parent_path() ? options.file.parent_path() : ".");
  if (!MakePrivateFolders(folder)) {
    return Fail(std::move(result), BackupResult::Outcome::Failed,
                detail::ProblemOf(0, errno, folder),
                folder.string() + ": cannot make the folder: " + SystemReason(errno));
  }
  SystemTime now = clock.NowUtc();
  now.milliseconds = 0;
  result.id = BackupId{now, kind, 0};
  if (intoRotation) {
    while (BackupNameTaken(folder, result.id)) ++result.id.sequence;
    result.file = folder / StoreBackupName(result.id);
  } else {
    result.file = options.file;
    if (std::filesystem::exists(result.file)) {
      return Fail(std::move(result), BackupResult::Outcome::Failed, VolumeProblem::Other,
                  result.file.string() + " already exists; it was left as it is");
    }
  }
  const bool hasRegistry = std::filesystem::is_regular_file(registry);
  const std::filesystem::path finalRegistry =
      !hasRegistry ? std::filesystem::path()
                   : intoRotation ? folder / RegistryBackupName(result.id)
                                  : std::filesystem::path(result.file.string() + ".reg");
  const std::filesystem::path finalRecord =
      intoRotation ? folder / CheckRecordName(result.id) : std::filesystem::path();
  if (!finalRegistry.empty() && std::filesystem::exists(finalRegistry)) {
    return Fail(std::move(result), BackupResult::Outcome::Failed, VolumeProblem::Other,
                finalRegistry.string() + " already exists; it was left as it is");
  }

  const std::filesystem::path tempStore = TemporaryNameFor(result.file);
  const std::filesystem::path tempRegistry =
      finalRegistry.empty() ? std::filesystem::path() : TemporaryNameFor(finalRegistry);
  const std::filesystem::path tempRecord =
      finalRecord.empty() ? std::filesystem::path() : TemporaryNameFor(finalRecord);
  const auto removeTemporaries = [&] { RemoveAll({&tempStore, &tempRegistry, &tempRecord}); };

  VolumeProblem problem = VolumeProblem::None;
  if (std::string failure = CopyPages(store, tempStore, options.faults, problem);
      !failure.empty()) {
    removeTemporaries();
    const auto outcome = problem == VolumeProblem::Damaged ? BackupResult::Outcome::StoreDamaged
                                                           : BackupResult::Outcome::Failed;
    return Fail(std::move(result), outcome, problem, failure);
  }
  int syncError = 0;
  {
    const int fd = ::open(tempStore.c_str(), O_RDONLY | O_CLOEXEC);
    if (FaultInjected(options.faults, IoOp::Sync)) {
      syncError = errno;
    } else if (fd < 0 || ::fsync(fd) != 0) {
      syncError = errno;
    }
    if (fd >= 0) ::close(fd);
  }
  if (syncError != 0) {
    removeTemporaries();
    return FailOnFile(std::move(result), FileFailure{syncError, tempStore, "fsync"});
  }

  const CopyCheck check = VerifyStoreCopy(tempStore);
  if (!check.passed) {
    removeTemporaries();
    // The copy holds the store's own pages: what is wrong with the copy is wrong with the store.
    const std::string what = check.reason.substr(3);  // "it is damaged (...)" without "it "
    if (check.status == VolumeStatus::Damaged) {
      return Fail(std::move(result), BackupResult::Outcome::StoreDamaged, check.problem,
                  "the store " + store.string() + " is damaged: its copy " + what);
    }
    return Fail(std::move(result), BackupResult::Outcome::Failed, check.problem,
                "the store " + store.string() + " cannot be backed up: it " + what);
  }
  result.records = check.records;

  CheckRecord record;
  record.records = check.records;
  if (const std::optional<FileDigest> digest = DigestFile(tempStore)) {
    record.store = *digest;
  } else {
    removeTemporaries();
    return FailOnFile(std::move(result), FileFailure{EIO, tempStore, "read"});
  }
  if (!finalRegistry.empty()) {
    const std::optional<FileDigest> original = DigestFile(registry);
    if (auto failure = CopyFileSynced(registry, tempRegistry, options.faults)) {
      removeTemporaries();
      return FailOnFile(std::move(result), *failure);
    }
    record.registry = DigestFile(tempRegistry);
    if (!original || record.registry != original) {
      removeTemporaries();
      return FailOnFile(std::move(result), FileFailure{EIO, tempRegistry, "verify"});
    }
  }
  if (!tempRecord.empty()) {
    if (auto failure = WriteNewFileSynced(tempRecord, FormatCheckRecord(record), options.faults)) {
      removeTemporaries();
      return FailOnFile(std::move(result), *failure);
    }
  }

  // The store's copy goes last: a backup is listed only once all of it is in place.
  const std::pair<const std::filesystem::path*, const std::filesystem::path*> renames[] = {
      {&tempRegistry, &finalRegistry}, {&tempRecord, &finalRecord}, {&tempStore, &result.file}};
  for (const auto& [from, to] : renames) {
    if (from->empty()) continue;
    if (auto failure = RenameFile(*from, *to, false, options.faults)) {
      removeTemporaries();
      RemoveAll({&finalRegistry, &finalRecord});
      return FailOnFile(std::move(result), *failure);
    }
  }
  if (auto failure = SyncFolder(folder, options.faults)) {
    // The files are whole; only their names may not survive a crash. Keeping them is better
    // than deleting a good backup.
    result.reason = failure->file.string() + ": " + failure->step + ": " +
                    SystemReason(failure->error);
  }
  result.registry = finalRegistry;
  result.outcome = BackupResult::Outcome::Made;
  if (intoRotation) result.rotatedOut = RotateBackups(dataFolder, clock);
  return result;
}

std::optional<BackupResult> BackUpBeforeUpgrade(const std::filesystem::path& dataFolder,
                                                const Clock& clock) {
  if (!VolumeNeedsUpgrade(StoreFileOf(dataFolder))) return std::nullopt;
  return MakeBackup(dataFolder, BackupKind::BeforeUpgrade, clock);
}

}  // namespace quidora::platform
