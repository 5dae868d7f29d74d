// How backups are named in the data folder's "backups" folder. A backup is the store's copy
// "objectstore-YYYYMMDD-HHMMSS[-KIND][-N].db", the registry's copy with the same stem
// ("registry-...reg", absent when there was no registry) and a check record ("...db.sum") that
// holds what the copies were when they were verified. The time is UTC; KIND is absent for the
// regular backups of the rotation and "upgrade", "import" or "restore" for the one made before
// such a step; N tells apart backups made within one second.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/date.h"

namespace quidora::platform {

inline constexpr char kBackupFolderName[] = "backups";

enum class BackupKind : std::uint8_t { Regular, BeforeUpgrade, BeforeImport, BeforeRestore };

// "regular", "upgrade", "import", "restore".
std::string_view KindName(BackupKind kind);

struct BackupId {
  SystemTime time;  // UTC, to the second
  BackupKind kind = BackupKind::Regular;
  int sequence = 0;  // 0 for the first backup of that second
};

// "20261209-050332-import-2": the part the three files share.
std::string BackupStem(const BackupId& id);
std::string StoreBackupName(const BackupId& id);     // "objectstore-<stem>.db"
std::string RegistryBackupName(const BackupId& id);  // "registry-<stem>.reg"
std::string CheckRecordName(const BackupId& id);     // "objectstore-<stem>.db.sum"

// The id of a store backup's file name; nullopt for any other name (temporary files included).
std::optional<BackupId> ParseStoreBackupName(std::string_view fileName);

// Whether a backup of any kind with this id's time and sequence is in `folder`: backups made
// within one second then differ by their sequence, which orders them.
bool BackupNameTaken(const std::filesystem::path& folder, const BackupId& id);

// Seconds since 1970-01-01 of a UTC time (the day of week is not read).
std::int64_t SecondsSinceEpoch(const SystemTime& time);
// Days since 1970-01-01 of a date.
std::int64_t DaysSinceEpoch(const SystemTime& time);

// "2026-12-09 05:03:32".
std::string TimeText(const SystemTime& time);

std::filesystem::path BackupFolder(const std::filesystem::path& dataFolder);

}  // namespace quidora::platform
