#include "platform/backup_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <sstream>

#include "platform/small_file.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace {

CopyCheck Failed(VolumeStatus status, VolumeProblem problem, std::string reason) {
  CopyCheck check;
  check.status = status;
  check.problem = problem;
  check.reason = std::move(reason);
  return check;
}

std::uint32_t BigEndian(const std::uint8_t* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

// Whether the file is shorter than its header says: a copy cut short by a full disk or a kill.
bool CutShort(const std::filesystem::path& file) {
  std::array<std::uint8_t, 100> header{};
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  const bool read = ::fstat(fd, &info) == 0 &&
                    ::pread(fd, header.data(), header.size(), 0) ==
                        static_cast<ssize_t>(header.size());
  ::close(fd);
  if (!read) return false;
  std::uint64_t pageSize = BigEndian(&header[16], 2);
  if (pageSize == 1) pageSize = 65536;
  const std::uint32_t pages = BigEndian(&header[28], 4);
  // The page count in the header counts only when written by a version that keeps it.
  const bool countValid = BigEndian(&header[92], 4) == BigEndian(&header[24], 4) && pages > 0;
  return countValid && static_cast<std::uint64_t>(info.st_size) < pages * pageSize;
}

// Opens a volume file for reading without writing anything: alone when it has no log beside
// it, with its log otherwise.
int OpenForReading(sql::Connection& db, const std::filesystem::path& file) {
  struct stat log {};
  const bool hasLog = ::stat((file.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0;
  const int rc = db.Open(detail::SqliteUri(file, hasLog ? "mode=ro" : "immutable=1"),
                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
  if (rc == SQLITE_OK) db.Exec("PRAGMA query_only=ON");
  return rc;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::optional<std::uint64_t> Number(std::string_view text, int base) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

}  // namespace

CopyCheck VerifyStoreCopy(const std::filesystem::path& file) {
  const detail::VolumeCheck volume = detail::CheckVolumeFile(file);
  if (volume.missing) return Failed(VolumeStatus::Missing, VolumeProblem::Missing, "it does not exist");
  switch (volume.status) {
    case VolumeStatus::Opened:
      break;
    case VolumeStatus::Foreign:
      return Failed(volume.status, volume.problem, "it is not a Quidora store");
    case VolumeStatus::Newer:
      return Failed(volume.status, volume.problem,
                    "it was written by a newer version of Quidora (" + volume.detail + ")");
    case VolumeStatus::Damaged:
      if (volume.problem == VolumeProblem::Empty) {
        return Failed(volume.status, volume.problem, "it is empty");
      }
      if (volume.problem == VolumeProblem::NotAStore) {
        return Failed(VolumeStatus::Foreign, volume.problem, "it is not a Quidora store");
      }
      if (CutShort(file)) {
        return Failed(volume.status, VolumeProblem::Damaged, "it is cut short (truncated)");
      }
      return Failed(volume.status, volume.problem, "it is damaged (" + volume.detail + ")");
    default:
      return Failed(VolumeStatus::Unreadable, volume.problem,
                    "it cannot be read (" + volume.detail + ")");
  }
  if (CutShort(file)) {
    return Failed(VolumeStatus::Damaged, VolumeProblem::Damaged, "it is cut short (truncated)");
  }

  sql::Connection db;
  if (const int rc = OpenForReading(db, file); rc != SQLITE_OK) {
    return Failed(VolumeStatus::Unreadable, detail::ProblemOf(rc, db.SystemErrno(), file),
                  "it cannot be read (" + db.ErrorMessage() + ")");
  }
  // The volume's own check runs quick_check unless the copy was taken after a clean end; a
  // copy always gets it, once.
  if (volume.detail != "ok") {
    sql::Statement check;
    int rc = check.Prepare(db, "PRAGMA quick_check");
    if (rc == SQLITE_OK) rc = check.Step();
    if (rc != SQLITE_ROW) {
      return Failed(VolumeStatus::Damaged, VolumeProblem::Damaged,
                    "it is damaged (quick_check: " + db.ErrorMessage() + ")");
    }
    if (const std::string verdict = check.ColumnText(0); verdict != "ok") {
      return Failed(VolumeStatus::Damaged, VolumeProblem::Damaged,
                    "it is damaged (quick_check: " + verdict + ")");
    }
  }
  CopyCheck passed;
  sql::Statement count;
  if (count.Prepare(db, "SELECT coalesce(sum(record_count), 0) FROM databases") != SQLITE_OK ||
      count.Step() != SQLITE_ROW) {
    return Failed(VolumeStatus::Damaged, VolumeProblem::Damaged,
                  "it is damaged (" + db.ErrorMessage() + ")");
  }
  passed.passed = true;
  passed.status = VolumeStatus::Opened;
  passed.records = static_cast<std::uint64_t>(count.ColumnInt64(0));
  return passed;
}

std::string FormatCheckRecord(const CheckRecord& record) {
  std::string text = "quidora-backup 1\n";
  text += "store-size " + std::to_string(record.store.size) + "\n";
  text += "store-digest " + Hex(record.store.hash) + "\n";
  text += "records " + std::to_string(record.records) + "\n";
  if (record.registry) {
    text += "registry-size " + std::to_string(record.registry->size) + "\n";
    text += "registry-digest " + Hex(record.registry->hash) + "\n";
  }
  return text;
}

std::optional<CheckRecord> ParseCheckRecord(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string line;
  if (!std::getline(lines, line) || line != "quidora-backup 1") return std::nullopt;
  CheckRecord record;
  int seen = 0;
  FileDigest registry;
  int registrySeen = 0;
  while (std::getline(lines, line)) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return std::nullopt;
    const std::string_view key = std::string_view(line).substr(0, space);
    const std::string_view value = std::string_view(line).substr(space + 1);
    const bool hex = key.ends_with("digest");
    const std::optional<std::uint64_t> number = Number(value, hex ? 16 : 10);
    if (!number) return std::nullopt;
    if (key == "store-size") {
      record.store.size = *number;
      seen |= 1;
    } else if (key == "store-digest") {
      record.store.hash = *number;
      seen |= 2;
    } else if (key == "records") {
      record.records = *number;
      seen |= 4;
    } else if (key == "registry-size") {
      registry.size = *number;
      registrySeen |= 1;
    } else if (key == "registry-digest") {
      registry.hash = *number;
      registrySeen |= 2;
    }
  }
  if (seen != 7 || (registrySeen != 0 && registrySeen != 3)) return std::nullopt;
  if (registrySeen == 3) record.registry = registry;
  return record;
}

std::optional<CheckRecord> ReadCheckRecord(const std::filesystem::path& file) {
  const SmallFile read = ReadSmallFile(file, 4096);
  if (!read.text) return std::nullopt;
  return ParseCheckRecord(*read.text);
}

std::optional<std::uint32_t> ReadVolumeVersion(const std::filesystem::path& store) {
  struct stat info {};
  if (::stat(store.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
    return std::nullopt;
  }
  sql::Connection db;
  if (OpenForReading(db, store) != SQLITE_OK) return std::nullopt;
  sql::Statement version;
  if (version.Prepare(db, "PRAGMA user_version") != SQLITE_OK || version.Step() != SQLITE_ROW) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(version.ColumnInt64(0));
}

bool VolumeNeedsUpgrade(const std::filesystem::path& store) {
  const std::optional<std::uint32_t> version = ReadVolumeVersion(store);
  return version && *version >= detail::kOldestSchemaVersion && *version < detail::kSchemaVersion;
}

std::optional<bool> VolumeMarkedInUse(const std::filesystem::path& store) {
  sql::Connection db;
  if (OpenForReading(db, store) != SQLITE_OK) return std::nullopt;
  sql::Statement mark;
  if (mark.Prepare(db, "SELECT clean_end FROM volume_state") != SQLITE_OK) {
    // A version 1 volume keeps no mark: every run counts as one that changed it.
    return true;
  }
  if (mark.Step() != SQLITE_ROW) return true;
  return mark.ColumnInt64(0) == 0;
}

}  // namespace quidora::platform
