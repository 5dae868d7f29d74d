#include "platform/volume_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/date_order.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace detail {

// What tells a file written to since it was looked at: a writer's sync or rename changes at
// least one of these.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
};

std::optional<FileStamp> StampOf(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool SameStamp(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b) {
  const auto same = [](const timespec& x, const timespec& y) {
    return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
  };
  return a.has_value() == b.has_value() &&
         (!a || (a->device == b->device && a->inode == b->inode && a->size == b->size &&
                 same(a->modified, b->modified) && same(a->changed, b->changed)));
}

class ReadOnlyVolume {
 public:
  std::filesystem::path file;
  // Set when the file is read without the locks (no log beside it): the stamp before the
  // first byte was read, so a writer that started meanwhile is told apart from damage.
  std::optional<std::optional<FileStamp>> unlockedSince;
  sql::Connection db;
  sql::Statement databaseByName;
  sql::Statement records;
};

namespace {

constexpr std::size_t kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // 16 bytes with its zero

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

StoreError ErrorOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return StoreError::None;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return StoreError::Io;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StoreError::Corrupt;
    default:
      return StoreError::Other;
  }
}

VolumeReader::OpenResult Refuse(VolumeStatus status, std::string detail) {
  VolumeReader::OpenResult result;
  result.status = status;
  result.detail = std::move(detail);
  return result;
}

std::string Errno(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

// The first 100 bytes of the file: what kind of file it is, before SQLite sees it.
std::optional<VolumeReader::OpenResult> CheckHeader(const std::filesystem::path& file,
                                                    bool& missing) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    missing = errno == ENOENT;
    return Refuse(VolumeStatus::Unreadable, missing ? "no volume" : Errno("stat"));
  }
  if (!S_ISREG(info.st_mode)) return Refuse(VolumeStatus::Unreadable, "not a regular file");
  if (info.st_size == 0) return Refuse(VolumeStatus::Damaged, "zero length");

  std::array<std::uint8_t, kHeaderSize> header{};
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Refuse(VolumeStatus::Unreadable, Errno("open"));
  std::size_t got = 0;
  while (got < header.size()) {
    const ssize_t n = ::read(fd, header.data() + got, header.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string detail = Errno("read");
      ::close(fd);
      return Refuse(VolumeStatus::Unreadable, detail);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
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
  // Older volumes are read as they are: the tables read here are alike in every version, and
  // upgrading is the device program's work, never a reader's.
  if (version < kOldestSchemaVersion) {
    return Refuse(VolumeStatus::Damaged, "user_version " + std::to_string(version));
  }
  return std::nullopt;
}

bool HasLog(const std::filesystem::path& file) {
  struct stat log {};
  return ::stat((file.string() + "-wal").c_str(), &log) == 0;
}

}  // namespace
}  // namespace detail

VolumeReader::VolumeReader(std::unique_ptr<detail::ReadOnlyVolume> volume)
    : volume_(std::move(volume)) {}

VolumeReader::~VolumeReader() {
  // Ends the read transaction; there is nothing to commit.
  if (volume_ != nullptr) {
    volume_->records = sql::Statement();
    volume_->databaseByName = sql::Statement();
    volume_->db.Exec("ROLLBACK");
  }
}

VolumeReader::OpenResult VolumeReader::Open(const std::filesystem::path& file) {
  // Taken before the first byte is read: without a log beside it the file is read without
  // locks, and the device program may start and write to it meanwhile.
  const bool logged = detail::HasLog(file);
  const std::optional<detail::FileStamp> stamp = detail::StampOf(file);
  const auto refuse = [&](VolumeStatus status, std::string why) {
    OpenResult result = detail::Refuse(status, std::move(why));
    result.changedWhileRead = !logged && !detail::SameStamp(stamp, detail::StampOf(file));
    return result;
  };
  bool missing = false;
  if (auto refused = detail::CheckHeader(file, missing)) {
    refused->missing = missing;
    refused->changedWhileRead = !logged && !detail::SameStamp(stamp, detail::StampOf(file));
    return std::move(*refused);
  }

  auto volume = std::make_unique<detail::ReadOnlyVolume>();
  volume->file = file;
  // With a log beside it only file and log together are the volume, read under SQLite's
  // locks. Without one the file alone is, and reading it as immutable needs no lock and makes
  // nothing beside it (a log and an index that would stay); a writer that starts meanwhile is
  // caught by the file's stamp instead, and the read is made again (see ChangedWhileRead).
  const std::string query = logged ? "mode=ro" : "immutable=1";
  if (!logged) volume->unlockedSince = stamp;
  if (volume->db.Open(detail::SqliteUri(file, query),
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX) != SQLITE_OK) {
    return refuse(VolumeStatus::Damaged, "cannot open: " + volume->db.ErrorMessage());
  }
  sql::Statement probe;
  // The device program may hold a write for a moment: wait for it rather than fail.
  if (volume->db.Exec("PRAGMA busy_timeout=5000") != SQLITE_OK ||
      volume->db.Exec("PRAGMA query_only=ON") != SQLITE_OK ||
      volume->db.Exec("PRAGMA cell_size_check=ON") != SQLITE_OK ||
      volume->db.Exec("BEGIN") != SQLITE_OK ||
      probe.Prepare(volume->db, "SELECT count(*) FROM databases") != SQLITE_OK ||
      probe.Step() != SQLITE_ROW) {
    const int code = volume->db.ExtendedErrorCode();
    const StoreError error = detail::ErrorOf(code);
    return refuse(error == StoreError::Io ? VolumeStatus::Unreadable : VolumeStatus::Damaged,
                  "read: " + volume->db.ErrorMessage());
  }
  probe = sql::Statement();
  if (volume->databaseByName.Prepare(
          volume->db, "SELECT oid, record_count FROM databases WHERE name = ?1") != SQLITE_OK ||
      volume->records.Prepare(
          volume->db, "SELECT props FROM records WHERE db = ?1 ORDER BY skey, oid") != SQLITE_OK) {
    return refuse(VolumeStatus::Damaged, "layout: " + volume->db.ErrorMessage());
  }
  OpenResult result;
  result.status = VolumeStatus::Opened;
  result.detail = "ok";
  result.reader.reset(new VolumeReader(std::move(volume)));
  return result;
}

int VolumeReader::FindDatabase(std::u16string_view name, std::int64_t& database,
                               std::int64_t* recordCount) {
  const std::vector<std::uint8_t> nameBytes = detail::NameBytes(name);
  sql::Statement& byName = volume_->databaseByName;
  byName.BindBlobStatic(1, nameBytes);
  const int rc = byName.Step();
  if (rc == SQLITE_ROW) {
    database = byName.ColumnInt64(0);
    if (recordCount != nullptr) *recordCount = byName.ColumnInt64(1);
  }
  byName.Reset();
  return rc;
}

VolumeReader::ReadStatus VolumeReader::ReadDatabase(
    std::u16string_view name, const std::function<bool(std::span<const std::uint8_t>)>& take) {
  lastError_ = StoreError::None;
  const auto fail = [this](int rc) {
    lastError_ = detail::ErrorOf(rc);
    if (lastError_ == StoreError::None) lastError_ = StoreError::Other;
    return ReadStatus::Failed;
  };

  std::int64_t database = 0;
  std::int64_t recordCount = 0;
  int rc = FindDatabase(name, database, &recordCount);
  if (rc == SQLITE_DONE) {
    lastError_ = StoreError::NotFound;
    return ReadStatus::NoDatabase;
  }
  if (rc != SQLITE_ROW) return fail(rc);

  sql::Statement& records = volume_->records;
  records.Bind(1, database);
  bool more = true;
  std::int64_t read = 0;
  while (more && (rc = records.Step()) == SQLITE_ROW) {
    ++read;
    more = take(records.ColumnBlob(0));
  }
  records.Reset();
  if (more && rc != SQLITE_DONE) return fail(rc);
  // A damaged page can end the walk early without any error from SQLite (its bytes may read as
  // a key past the database's last one); the count kept with every write tells.
  if (more && read != recordCount) return fail(SQLITE_CORRUPT);
  // Even a read that looks whole may mix pages from before and after a writer's changes.
  if (ChangedWhileRead()) return fail(SQLITE_IOERR);
  return ReadStatus::Read;
}

bool VolumeReader::ChangedWhileRead() const {
  return volume_->unlockedSince.has_value() &&
         !detail::SameStamp(*volume_->unlockedSince, detail::StampOf(volume_->file));
}

VolumeReader::ReadStatus VolumeReader::ReadOneValue(
    std::u16string_view name, PropId prop, std::uint32_t value,
    const std::function<bool(std::span<const std::uint8_t>)>& take) {
  lastError_ = StoreError::None;
  const auto fail = [this](int rc) {
    lastError_ = detail::ErrorOf(rc);
    if (lastError_ == StoreError::None) lastError_ = StoreError::Other;
    return ReadStatus::Failed;
  };
  std::int64_t database = 0;
  int rc = FindDatabase(name, database);
  if (rc == SQLITE_DONE) {
    lastError_ = StoreError::NotFound;
    return ReadStatus::NoDatabase;
  }
  if (rc != SQLITE_ROW) return fail(rc);
  sql::Statement kept;
  // A volume of the first version has no second sort orders at all.
  if (kept.Prepare(volume_->db, "SELECT 1 FROM sort_orders WHERE db = ?1 AND prop = ?2") !=
      SQLITE_OK) {
    return ReadStatus::NoOrder;
  }
  kept.Bind(1, database);
  kept.Bind(2, prop);
  rc = kept.Step();
  if (rc == SQLITE_DONE) return ReadStatus::NoOrder;
  if (rc != SQLITE_ROW) return fail(rc);
  sql::Statement records;
  if ((rc = records.Prepare(volume_->db,
                            "SELECT props FROM ordered_records WHERE db = ?1 AND prop = ?2"
                            " AND value = ?3 ORDER BY skey, oid")) != SQLITE_OK) {
    return fail(rc);
  }
  for (const std::int64_t wanted : {std::int64_t{value}, detail::kValueUndecodable}) {
    records.Bind(1, database);
    records.Bind(2, prop);
    records.Bind(3, wanted);
    while ((rc = records.Step()) == SQLITE_ROW) {
      if (!take(records.ColumnBlob(0))) return ReadStatus::Read;
    }
    records.Reset();
    if (rc != SQLITE_DONE) return fail(rc);
  }
  // A writer that started meanwhile may have rewritten pages under the read.
  if (ChangedWhileRead()) return fail(SQLITE_IOERR);
  return ReadStatus::Read;
}

RangeRead VolumeReader::ReadDateRange(std::u16string_view name, const DateRange& range,
                                     const TakeDated& take) {
  lastError_ = StoreError::None;
  std::int64_t database = 0;
  int rc = FindDatabase(name, database);
  if (rc == SQLITE_DONE) {
    lastError_ = StoreError::NotFound;
    return RangeRead::NoDatabase;
  }
  RangeRead read = RangeRead::Failed;
  if (rc == SQLITE_ROW) read = detail::ReadDated(volume_->db, database, range, take, rc);
  if (read != RangeRead::Failed && ChangedWhileRead()) {
    read = RangeRead::Failed;
    rc = SQLITE_IOERR;
  }
  if (read == RangeRead::Failed) {
    lastError_ = detail::ErrorOf(rc);
    if (lastError_ == StoreError::None) lastError_ = StoreError::Other;
  }
  return read;
}

}  // namespace quidora::platform
