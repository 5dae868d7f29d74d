// Making a backup of the store and the registry of a data folder.
//
// The store is copied through SQLite's online backup inside one read transaction, so the copy
// is one state of the store even while a program writes to it; the registry is copied beside
// it. Both are written under temporary names, synced, verified (see platform/backup_check.h)
// and only then renamed to their final names, the store's copy last, and the folder synced: a
// backup that can be listed is whole, and a kill at any moment leaves at most temporary files,
// which RemoveBackupLeftovers removes. The store itself is only read.
//
// The caller holds the data folder's lock, or is the device program that holds it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backup_names.h"
#include "platform/clock.h"
#include "platform/object_store.h"

namespace quidora::platform {

class IoFaults;

struct BackupOptions {
  // Empty: into the data folder's backups, followed by the rotation. Otherwise the store's
  // copy goes to this file (which must not exist) and the registry's to "<file>.reg".
  std::filesystem::path file;
  // Sits under every file operation of the copies (tests only).
  IoFaults* faults = nullptr;
};

struct BackupResult {
  enum class Outcome : std::uint8_t {
    Made,          // the backup is in place, verified
    NoStore,       // there is no store to back up; nothing was made
    StoreDamaged,  // the store's copy failed verification because the store is damaged
    Failed,        // a file could not be written (full disk, ...); nothing was kept
  };
  Outcome outcome = Outcome::Failed;
  BackupId id;
  std::filesystem::path file;      // the store's copy
  std::filesystem::path registry;  // the registry's copy; empty when there was no registry
  std::uint64_t records = 0;
  VolumeProblem problem = VolumeProblem::None;
  std::string reason;                         // for StoreDamaged and Failed, in plain words
  std::vector<std::filesystem::path> rotatedOut;  // backups the rotation deleted
};

BackupResult MakeBackup(const std::filesystem::path& dataFolder, BackupKind kind,
                        const Clock& clock, const BackupOptions& options = {});

// The store's file and the registry's file of a data folder.
std::filesystem::path StoreFileOf(const std::filesystem::path& dataFolder);
std::filesystem::path RegistryFileOf(const std::filesystem::path& dataFolder);

// A backup before an upgrade, made only when the volume is of an earlier version (read without
// changing it). Called by a program before it opens the store for writing. nullopt when no
// backup was needed.
std::optional<BackupResult> BackUpBeforeUpgrade(const std::filesystem::path& dataFolder,
                                                const Clock& clock);

}  // namespace quidora::platform
