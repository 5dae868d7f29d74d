#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/locations.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform::detail {
namespace {

constexpr std::size_t kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // 16 bytes with its zero

constexpr const char* kSchema =
    "CREATE TABLE databases(oid INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE,"
    " type INTEGER NOT NULL, sort_prop INTEGER NOT NULL, record_count INTEGER NOT NULL);"
    "CREATE TABLE records(db INTEGER NOT NULL, skey INTEGER NOT NULL, oid INTEGER NOT NULL,"
    " props BLOB NOT NULL, PRIMARY KEY(db, skey, oid)) WITHOUT ROWID;"
    "CREATE UNIQUE INDEX records_by_oid ON records(oid);"
    "CREATE TABLE oid_counter(next INTEGER NOT NULL);"
    "INSERT INTO oid_counter(next) VALUES(1);";

// Statements that prepare only when every expected table and column is there.
constexpr std::array<const char*, 3> kLayoutProbes = {
    "SELECT oid, name, type, sort_prop, record_count FROM databases LIMIT 0",
    "SELECT db, skey, oid, props FROM records LIMIT 0",
    "SELECT next FROM oid_counter LIMIT 0",
};

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

VolumeCheck Refuse(VolumeStatus status, std::string detail) {
  return VolumeCheck{false, status, std::move(detail)};
}

std::string Errno(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
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

VolumeCheck CheckVolumeFile(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    if (errno == ENOENT) return VolumeCheck{true, VolumeStatus::Opened, "no volume"};
    return Refuse(VolumeStatus::Unreadable, Errno("stat"));
  }
  if (!S_ISREG(info.st_mode)) return Refuse(VolumeStatus::Unreadable, "not a regular file");

  std::array<std::uint8_t, kHeaderSize> header{};
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Refuse(VolumeStatus::Unreadable, Errno("open"));
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
    return Refuse(VolumeStatus::Unreadable, Errno("read"));
  }
  if (info.st_size == 0) return Refuse(VolumeStatus::Damaged, "zero length");
  if (got < header.size() || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0) {
    return Refuse(VolumeStatus::Damaged, "not a SQLite file");
  }
  if (const std::uint32_t id = BigEndian32(&header[68]); id != kApplicationId) {
    return Refuse(VolumeStatus::Foreign, "application_id " + std::to_string(id));
  }
  const std::uint32_t version = BigEndian32(&header[60]);
  if (version > kSchemaVersion) {
    return Refuse(VolumeStatus::Newer, "user_version " + std::to_string(version));
  }
  if (version < kSchemaVersion) {
    return Refuse(VolumeStatus::Damaged, "user_version " + std::to_string(version));
  }

  // Without a log beside it the file alone is the volume: immutable=1 reads it with no locks and
  // creates nothing. With a log left by a crash or a full disk the file alone may be half
  // checkpointed and only file and log together are the volume, so they are read together,
  // read-only (SQLite may add the -shm index beside them; neither file is written).
  struct stat log {};
  const bool hasLog = ::stat((file.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0;
  sql::Connection db;
  if (db.Open(SqliteUri(file, hasLog ? "mode=ro" : "immutable=1"),
              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) != SQLITE_OK) {
    return Refuse(VolumeStatus::Damaged, "cannot open: " + db.ErrorMessage());
  }
  db.Exec("PRAGMA query_only=ON");
  sql::Statement check;
  if (check.Prepare(db, "PRAGMA quick_check") != SQLITE_OK) {
    return Refuse(VolumeStatus::Damaged, "quick_check: " + db.ErrorMessage());
  }
  int rc = check.Step();
  if (rc != SQLITE_ROW) return Refuse(VolumeStatus::Damaged, "quick_check: " + db.ErrorMessage());
  if (std::string verdict = check.ColumnText(0); verdict != "ok") {
    return Refuse(VolumeStatus::Damaged, "quick_check: " + verdict);
  }
  check = sql::Statement();
  for (const char* probe : kLayoutProbes) {
    sql::Statement statement;
    if (statement.Prepare(db, probe) != SQLITE_OK) {
      return Refuse(VolumeStatus::Damaged, "layout: " + db.ErrorMessage());
    }
  }
  return VolumeCheck{false, VolumeStatus::Opened, "ok"};
}

VolumeCheck CreateVolumeFile(const std::filesystem::path& file, const char* vfs) {
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  if (!MakePrivateFolders(folder)) {
    return Refuse(VolumeStatus::CreateFailed, Errno("cannot make the folder"));
  }
  std::random_device random;
  const std::filesystem::path temp =
      file.string() + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(random());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Refuse(VolumeStatus::CreateFailed, Errno("create"));
  ::close(fd);

  auto fail = [&](std::string detail) {
    RemoveWithSideFiles(temp);
    return Refuse(VolumeStatus::CreateFailed, std::move(detail));
  };
  {
    sql::Connection db;
    if (db.Open(temp.string(), SQLITE_OPEN_READWRITE, vfs) != SQLITE_OK) {
      return fail("open: " + db.ErrorMessage());
    }
    const std::string pragmas = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    if (db.Exec("PRAGMA journal_mode=WAL") != SQLITE_OK ||
        db.Exec("PRAGMA synchronous=FULL") != SQLITE_OK || db.Exec("BEGIN") != SQLITE_OK ||
        db.Exec(kSchema) != SQLITE_OK || db.Exec(pragmas.c_str()) != SQLITE_OK ||
        db.Exec("COMMIT") != SQLITE_OK) {
      return fail("schema: " + db.ErrorMessage());
    }
    // Fold the log into the file so the volume is complete without its -wal.
    if (db.Exec("PRAGMA wal_checkpoint(TRUNCATE)") != SQLITE_OK) {
      return fail("checkpoint: " + db.ErrorMessage());
    }
  }
  if (!SyncPath(temp, O_RDONLY)) return fail(Errno("fsync"));
  // link() does not replace: a volume that appeared meanwhile is never overwritten.
  if (::link(temp.c_str(), file.c_str()) != 0) return fail(Errno("link"));
  RemoveWithSideFiles(temp);
  if (!SyncPath(folder, O_RDONLY | O_DIRECTORY)) {
    return Refuse(VolumeStatus::CreateFailed, Errno("fsync of the folder"));
  }
  return VolumeCheck{false, VolumeStatus::Created, "created"};
}

}  // namespace quidora::platform::detail
