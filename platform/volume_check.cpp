#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "platform/locations.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform::detail {
namespace {

constexpr std::size_t kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // 16 bytes with its zero

// The tables of version 1, and what version 2 added (version 3's follow). A new volume gets them
// all, so that a new and an upgraded volume are alike.
constexpr const char* kSchemaVersion1 =
    "CREATE TABLE databases(oid INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE,"
    " type INTEGER NOT NULL, sort_prop INTEGER NOT NULL, record_count INTEGER NOT NULL);"
    "CREATE TABLE records(db INTEGER NOT NULL, skey INTEGER NOT NULL, oid INTEGER NOT NULL,"
    " props BLOB NOT NULL, PRIMARY KEY(db, skey, oid)) WITHOUT ROWID;"
    "CREATE UNIQUE INDEX records_by_oid ON records(oid);"
    "CREATE TABLE oid_counter(next INTEGER NOT NULL);"
    "INSERT INTO oid_counter(next) VALUES(1);";
constexpr const char* kSchemaVersion2 =
    "CREATE TABLE sort_orders(db INTEGER NOT NULL, prop INTEGER NOT NULL,"
    " PRIMARY KEY(db, prop)) WITHOUT ROWID;"
    "CREATE TABLE ordered_records(db INTEGER NOT NULL, prop INTEGER NOT NULL,"
    " value INTEGER NOT NULL, skey INTEGER NOT NULL, oid INTEGER NOT NULL, props BLOB NOT NULL,"
    " PRIMARY KEY(db, prop, value, skey, oid)) WITHOUT ROWID;"
    "CREATE INDEX ordered_records_by_oid ON ordered_records(oid);"
    "CREATE TABLE key_runs(db INTEGER NOT NULL, first INTEGER NOT NULL, last INTEGER NOT NULL,"
    " PRIMARY KEY(db, first)) WITHOUT ROWID;"
    "CREATE TABLE volume_state(clean_end INTEGER NOT NULL);"
    "INSERT INTO volume_state(clean_end) VALUES(0);";

// What version 3 added: date orders.
constexpr const char* kSchemaVersion3 =
    "CREATE TABLE date_orders(db INTEGER PRIMARY KEY, grp INTEGER NOT NULL,"
    " year INTEGER NOT NULL, month INTEGER NOT NULL, day INTEGER NOT NULL,"
    " carried BLOB NOT NULL);"
    "CREATE TABLE dated_records(db INTEGER NOT NULL, grp INTEGER NOT NULL,"
    " date INTEGER NOT NULL, skey INTEGER NOT NULL, oid INTEGER NOT NULL, carried BLOB NOT NULL,"
    " PRIMARY KEY(db, grp, date, skey, oid)) WITHOUT ROWID;";

// Every maximal run of consecutive keys of each database: keys minus their dense rank are
// equal exactly within a run (a key held twice has one rank).
constexpr const char* kFillKeyRuns =
    "INSERT INTO key_runs(db, first, last)"
    " SELECT db, min(skey), max(skey) FROM"
    "  (SELECT db, skey, skey - dense_rank() OVER (PARTITION BY db ORDER BY skey) AS run"
    "   FROM records WHERE skey < 4294967296)"
    " GROUP BY db, run";

// Statements that prepare only when every expected table and column is there.
constexpr std::array<const char*, 3> kLayoutProbesVersion1 = {
    "SELECT oid, name, type, sort_prop, record_count FROM databases LIMIT 0",
    "SELECT db, skey, oid, props FROM records LIMIT 0",
    "SELECT next FROM oid_counter LIMIT 0",
};
constexpr std::array<const char*, 3> kLayoutProbesVersion2 = {
    "SELECT db, prop FROM sort_orders LIMIT 0",
    "SELECT db, prop, value, skey, oid, props FROM ordered_records LIMIT 0",
    "SELECT db, first, last FROM key_runs LIMIT 0",
};
constexpr std::array<const char*, 2> kLayoutProbesVersion3 = {
    "SELECT db, grp, year, month, day, carried FROM date_orders LIMIT 0",
    "SELECT db, grp, date, skey, oid, carried FROM dated_records LIMIT 0",
};

// The longest path SQLite's file layer takes, "-journal" included.
constexpr std::size_t kSqlitePathLimit = 512;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

VolumeCheck Refuse(VolumeStatus status, VolumeProblem problem, const std::filesystem::path& subject,
                   std::string detail) {
  VolumeCheck check;
  check.status = status;
  check.problem = problem;
  check.subject = subject;
  check.detail = std::move(detail);
  return check;
}

// A refusal for the errno of a failed system call on `path`.
VolumeCheck RefuseErrno(VolumeStatus status, const std::filesystem::path& path, const char* what) {
  const int error = errno;
  return Refuse(status, ProblemOf(0, error, path), path,
                std::string(what) + ": " + std::strerror(error));
}

// A refusal for a failed SQLite call on `db` about `path`.
VolumeCheck RefuseSqlite(VolumeStatus status, const sql::Connection& db, int rc,
                         const std::filesystem::path& path, const std::string& what) {
  return Refuse(status, ProblemOf(rc, db.SystemErrno(), path), path,
                what + ": " + db.ErrorMessage());
}

bool SyncPath(const std::filesystem::path& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

void RemoveWithSideFiles(const std::filesystem::path& file) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    ::unlink((file.string() + suffix).c_str());
  }
}

}  // namespace

std::string SqliteUri(const std::filesystem::path& file, const std::string& query) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (unsigned char c : std::filesystem::absolute(file).string()) {
    if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7F) {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  if (!query.empty()) uri += "?" + query;
  return uri;
}

VolumeProblem ProblemOf(int rc, int error, const std::filesystem::path& path) {
  switch (rc & 0xFF) {
    case SQLITE_FULL:
      return VolumeProblem::NoSpace;
    case SQLITE_READONLY:
      return VolumeProblem::ReadOnly;
    case SQLITE_CORRUPT:
      return VolumeProblem::Damaged;
    case SQLITE_NOTADB:
      return VolumeProblem::NotAStore;
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return VolumeProblem::NoAccess;
    default:
      break;
  }
  switch (error) {
    case EACCES:
    case EPERM:
      return VolumeProblem::NoAccess;
    case EROFS:
      return VolumeProblem::ReadOnly;
    case ENOSPC:
    case EDQUOT:
      return VolumeProblem::NoSpace;
    case ENAMETOOLONG:
      return VolumeProblem::PathTooLong;
    default:
      break;
  }
  // SQLite refuses a path longer than it takes before any system call.
  std::error_code ignored;
  if ((rc & 0xFF) == SQLITE_CANTOPEN &&
      std::filesystem::absolute(path, ignored).string().size() + 8 >= kSqlitePathLimit) {
    return VolumeProblem::PathTooLong;
  }
  return VolumeProblem::Other;
}

VolumeCheck CheckVolumeFile(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    if (errno == ENOENT) return VolumeCheck{true, VolumeStatus::Opened, {}, file, "no volume"};
    return RefuseErrno(VolumeStatus::Unreadable, file, "stat");
  }
  if (!S_ISREG(info.st_mode)) {
    return Refuse(VolumeStatus::Unreadable, VolumeProblem::NotAFile, file, "not a regular file");
  }

  std::array<std::uint8_t, kHeaderSize> header{};
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return RefuseErrno(VolumeStatus::Unreadable, file, "open");
  std::size_t got = 0;
  while (got < header.size()) {
    const ssize_t n = ::read(fd, header.data() + got, header.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  const int readErrno = errno;
  ::close(fd);
  if (got == 0 && info.st_size > 0) {
    errno = readErrno;
    return RefuseErrno(VolumeStatus::Unreadable, file, "read");
  }
  if (info.st_size == 0) {
    return Refuse(VolumeStatus::Damaged, VolumeProblem::Empty, file, "zero length");
  }
  if (got < sizeof kMagic || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0) {
    return Refuse(VolumeStatus::Damaged, VolumeProblem::NotAStore, file, "not a SQLite file");
  }
  if (got < header.size()) {
    return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file, "cut short");
  }
  if (const std::uint32_t id = BigEndian32(&header[68]); id != kApplicationId) {
    return Refuse(VolumeStatus::Foreign, VolumeProblem::NotAStore, file,
                  "application_id " + std::to_string(id));
  }
  std::uint32_t version = BigEndian32(&header[60]);
  if (version > kSchemaVersion) {
    return Refuse(VolumeStatus::Newer, VolumeProblem::Newer, file,
                  "user_version " + std::to_string(version));
  }
  if (version < kOldestSchemaVersion) {
    return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file,
                  "user_version " + std::to_string(version));
  }

  // Without a log beside it the file alone is the volume: immutable=1 reads it with no locks and
  // creates nothing. With a log left by a crash or a full disk, or by a program that has the
  // volume open, the file alone may be half checkpointed and only file and log together are the
  // volume, so they are read together, read-only (SQLite may add the -shm index beside them;
  // neither file is written).
  struct stat log {};
  const bool hasLog = ::stat((file.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0;
  sql::Connection db;
  if (const int rc = db.Open(SqliteUri(file, hasLog ? "mode=ro" : "immutable=1"),
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
      rc != SQLITE_OK) {
    return RefuseSqlite(VolumeStatus::Damaged, db, rc, file, "cannot open");
  }
  db.Exec("PRAGMA query_only=ON");
  // The file's header may be older than the log beside it (an upgrade not yet folded into the
  // file): the version that counts is the one SQLite reads from both.
  {
    sql::Statement current;
    int rc = current.Prepare(db, "PRAGMA user_version");
    if (rc == SQLITE_OK) rc = current.Step();
    if (rc != SQLITE_ROW) return RefuseSqlite(VolumeStatus::Damaged, db, rc, file, "version");
    version = static_cast<std::uint32_t>(current.ColumnInt64(0));
  }
  if (version > kSchemaVersion) {
    return Refuse(VolumeStatus::Newer, VolumeProblem::Newer, file,
                  "user_version " + std::to_string(version));
  }
  if (version < kOldestSchemaVersion) {
    return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file,
                  "user_version " + std::to_string(version));
  }

  // The run that last wrote the volume ended cleanly: SQLite's checks as it reads are enough.
  bool cleanEnd = false;
  if (version >= 2) {
    sql::Statement mark;
    if (mark.Prepare(db, "SELECT clean_end FROM volume_state") != SQLITE_OK) {
      return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file,
                    "layout: " + db.ErrorMessage());
    }
    cleanEnd = mark.Step() == SQLITE_ROW && mark.ColumnInt64(0) == 1;
  }
  if (!cleanEnd) {
    sql::Statement check;
    if (const int rc = check.Prepare(db, "PRAGMA quick_check"); rc != SQLITE_OK) {
      return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file,
                    "quick_check: " + db.ErrorMessage());
    }
    if (check.Step() != SQLITE_ROW) {
      return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file,
                    "quick_check: " + db.ErrorMessage());
    }
    if (std::string verdict = check.ColumnText(0); verdict != "ok") {
      return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file, "quick_check: " + verdict);
    }
  }
  std::vector<const char*> probes(kLayoutProbesVersion1.begin(), kLayoutProbesVersion1.end());
  if (version >= 2)
    probes.insert(probes.end(), kLayoutProbesVersion2.begin(), kLayoutProbesVersion2.end());
  if (version >= 3)
    probes.insert(probes.end(), kLayoutProbesVersion3.begin(), kLayoutProbesVersion3.end());
  for (const char* probe : probes) {
    sql::Statement statement;
    if (statement.Prepare(db, probe) != SQLITE_OK) {
      return Refuse(VolumeStatus::Damaged, VolumeProblem::Damaged, file,
                    "layout: " + db.ErrorMessage());
    }
  }
  VolumeCheck ok{false,
                 VolumeStatus::Opened,
                 VolumeProblem::None,
                 file,
                 cleanEnd ? "ok (after a clean end)" : "ok",
                 version};
  return ok;
}

VolumeCheck CreateVolumeFile(const std::filesystem::path& file, const char* vfs) {
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  if (!MakePrivateFolders(folder)) {
    return RefuseErrno(VolumeStatus::CreateFailed, folder, "cannot make the folder");
  }
  std::random_device random;
  const std::filesystem::path temp =
      file.string() + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(random());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return RefuseErrno(VolumeStatus::CreateFailed, folder, "create");
  ::close(fd);

  auto fail = [&](VolumeCheck refusal) {
    RemoveWithSideFiles(temp);
    return refusal;
  };
  {
    sql::Connection db;
    if (const int rc = db.Open(temp.string(), SQLITE_OPEN_READWRITE, vfs); rc != SQLITE_OK) {
      // The temporary name is the longer one; a path too long is the volume's path.
      VolumeCheck refusal = RefuseSqlite(VolumeStatus::CreateFailed, db, rc, temp, "open");
      refusal.subject = refusal.problem == VolumeProblem::PathTooLong ? file : folder;
      return fail(std::move(refusal));
    }
    const std::string pragmas = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    for (const char* step : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "BEGIN",
                             kSchemaVersion1, kSchemaVersion2, kSchemaVersion3, pragmas.c_str(), "COMMIT"}) {
      if (const int rc = db.Exec(step); rc != SQLITE_OK) {
        return fail(RefuseSqlite(VolumeStatus::CreateFailed, db, rc, folder, "schema"));
      }
    }
    // Fold the log into the file so the volume is complete without its -wal.
    if (const int rc = db.Exec("PRAGMA wal_checkpoint(TRUNCATE)"); rc != SQLITE_OK) {
      return fail(RefuseSqlite(VolumeStatus::CreateFailed, db, rc, folder, "checkpoint"));
    }
  }
  if (!SyncPath(temp, O_RDONLY)) {
    return fail(RefuseErrno(VolumeStatus::CreateFailed, folder, "fsync"));
  }
  // link() does not replace: a volume that appeared meanwhile is never overwritten.
  if (::link(temp.c_str(), file.c_str()) != 0) {
    return fail(RefuseErrno(VolumeStatus::CreateFailed, folder, "link"));
  }
  RemoveWithSideFiles(temp);
  if (!SyncPath(folder, O_RDONLY | O_DIRECTORY)) {
    return RefuseErrno(VolumeStatus::CreateFailed, folder, "fsync of the folder");
  }
  return VolumeCheck{false,     VolumeStatus::Created, VolumeProblem::None, file,
                     "created", kSchemaVersion};
}

bool UpgradeSchema(sql::Connection& db, std::uint32_t from, std::string& detail) {
  if (from < 2) {
    if (db.Exec(kSchemaVersion2) != SQLITE_OK || db.Exec(kFillKeyRuns) != SQLITE_OK) {
      detail = "upgrade to version 2: " + db.ErrorMessage();
      return false;
    }
  }
  if (from < 3 && db.Exec(kSchemaVersion3) != SQLITE_OK) {
    detail = "upgrade to version 3: " + db.ErrorMessage();
    return false;
  }
  const std::string version = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
  if (db.Exec(version.c_str()) != SQLITE_OK) {
    detail = "upgrade: " + db.ErrorMessage();
    return false;
  }
  return true;
}

std::int64_t OrderValue(bool decoded, std::span<const PropValue> props, PropId prop) {
  if (!decoded) return kValueUndecodable;
  const SortKey value = LastValueOf(props, prop);
  return value.present ? std::int64_t{value.value} : kValueAbsent;
}

}  // namespace quidora::platform::detail
