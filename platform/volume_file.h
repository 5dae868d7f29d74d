// Checking and making the volume file of the object store (inside platform/ only).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/object_store.h"

namespace quidora::platform::detail {

inline constexpr std::uint32_t kApplicationId = 0x51554944;  // "QUID"
inline constexpr std::uint32_t kSchemaVersion = 1;

struct VolumeCheck {
  bool missing = false;  // no file at all: the caller may create one
  VolumeStatus status = VolumeStatus::Opened;
  std::string detail;
};

// Examines an existing file without changing it or creating anything beside it: header,
// application_id, user_version, quick_check and the expected tables, read through an immutable
// read-only connection with query_only on.
VolumeCheck CheckVolumeFile(const std::filesystem::path& file);

// Makes a new empty volume at `file`, which must not exist: built under a temporary name in the
// same folder and linked into place complete, so a crash leaves either no volume or a whole one.
// `vfs` is the SQLite file-system layer to use (nullptr: the default).
VolumeCheck CreateVolumeFile(const std::filesystem::path& file, const char* vfs);

// A SQLite URI for `file` with the given query ("immutable=1").
std::string SqliteUri(const std::filesystem::path& file, const std::string& query);

}  // namespace quidora::platform::detail
