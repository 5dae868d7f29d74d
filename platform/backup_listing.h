// The backups of a data folder as they stand: finding them, telling whether each still is what
// was verified when it was made, the rotation, and the tidying of what a killed backup left.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/backup_check.h"
#include "platform/backup_names.h"
#include "platform/clock.h"

namespace quidora::platform {

struct BackupEntry {
  BackupId id;
  std::filesystem::path file;      // the store's copy
  std::filesystem::path registry;  // the registry's copy; empty when there is none
  std::uint64_t size = 0;          // of the store's copy
  std::optional<CheckRecord> record;  // what the copy was when verified; absent when unknown
};

// Every backup in the data folder's backups, newest first. Reads names and sizes only.
std::vector<BackupEntry> FindBackups(const std::filesystem::path& dataFolder);

// Whether the backup's files still are what its check record says (reads them whole). A backup
// without a check record, such as the plain copy of a damaged store, never verifies.
bool BackupVerifies(const BackupEntry& entry);

// The newest backup that verifies, of any kind.
std::optional<BackupEntry> NewestVerifiedBackup(const std::filesystem::path& dataFolder);

// Deletes the backups the rotation does not keep at the clock's time (platform/backup_rotation.h).
// Returns the store copies deleted.
std::vector<std::filesystem::path> RotateBackups(const std::filesystem::path& dataFolder,
                                                 const Clock& clock);

// Removes what a killed backup or restore left in the backups folder: temporary files, and a
// registry copy or check record whose store copy never got its name. Only while holding the
// data folder's lock. Returns the names removed.
std::vector<std::filesystem::path> RemoveBackupLeftovers(const std::filesystem::path& dataFolder);

}  // namespace quidora::platform
