// Checking, making and upgrading the volume file of the object store (inside platform/ only).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/object_store.h"

namespace quidora::platform::sql {
class Connection;
}

namespace quidora::platform::detail {

inline constexpr std::uint32_t kApplicationId = 0x51554944;  // "QUID"
inline constexpr std::uint32_t kSchemaVersion = 3;
// Volumes of this version and later are read; those before kSchemaVersion are upgraded when
// opened for writing.
inline constexpr std::uint32_t kOldestSchemaVersion = 1;

// Where a record stands in a second sort order when it has no value for it.
inline constexpr std::int64_t kValueAbsent = std::int64_t{1} << 32;
inline constexpr std::int64_t kValueUndecodable = kValueAbsent + 1;

struct VolumeCheck {
  bool missing = false;  // no file at all: the caller may create one
  VolumeStatus status = VolumeStatus::Opened;
  VolumeProblem problem = VolumeProblem::None;
  std::filesystem::path subject;  // the file or folder the problem is about
  std::string detail;
  std::uint32_t version = kSchemaVersion;
};

// Examines an existing file without changing it or creating anything beside it: header,
// application_id, user_version, the mark of a clean end, quick_check (skipped after a clean
// end) and the expected tables, read through a read-only connection with query_only on.
VolumeCheck CheckVolumeFile(const std::filesystem::path& file);

// Makes a new empty volume at `file`, which must not exist: built under a temporary name in the
// same folder and linked into place complete, so a crash leaves either no volume or a whole one.
// `vfs` is the SQLite file-system layer to use (nullptr: the default).
VolumeCheck CreateVolumeFile(const std::filesystem::path& file, const char* vfs);

// Brings a volume of version `from` up to kSchemaVersion: the newer tables, the runs of taken
// keys and the user_version. Runs inside the caller's transaction on `db`; false with `detail`
// set on failure (the caller rolls back).
bool UpgradeSchema(sql::Connection& db, std::uint32_t from, std::string& detail);

// A SQLite URI for `file` with the given query ("immutable=1").
std::string SqliteUri(const std::filesystem::path& file, const std::string& query);

// The user's terms for a failure of SQLite (`rc`, with the system's errno where SQLite had one)
// or of the system (`rc` 0, `error` an errno value) on `path`.
VolumeProblem ProblemOf(int rc, int error, const std::filesystem::path& path);

// The sort value of a record in an order on `prop`: its value, kValueAbsent, or
// kValueUndecodable when its stored properties could not be decoded.
std::int64_t OrderValue(bool decoded, std::span<const PropValue> props, PropId prop);

}  // namespace quidora::platform::detail
