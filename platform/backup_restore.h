// Bringing a backup back into a data folder. The caller holds the data folder's lock.
//
// Nothing changes until the backup has passed the whole verification (a damaged, cut, newer
// or foreign file is refused with the reason). Then the store in place is backed up (a store
// too damaged for that is kept as a plain copy of its files), the backup is copied beside the
// store under a temporary name and synced, and one rename puts it in place. With `settings`
// the registry's copy replaces the registry the same way. A kill at any moment leaves the old
// store or the restored one, each whole, and temporary files that the next start removes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/backup_snapshot.h"

namespace quidora::platform {

struct RestoreOptions {
  bool settings = false;  // bring back the registry too
  // The registry copy to use with `settings`; empty: the one kept with the backup.
  std::filesystem::path registry;
  IoFaults* faults = nullptr;  // tests only
};

struct RestoreResult {
  enum class Outcome : std::uint8_t {
    Restored,
    Refused,  // the backup cannot be used; nothing was changed
    Failed,   // writing failed (full disk, ...); the store is the one that was there
  };
  Outcome outcome = Outcome::Failed;
  VolumeProblem problem = VolumeProblem::None;
  std::string reason;          // for Refused and Failed
  BackupResult keptBefore;     // the backup of the store that was replaced
  bool keptAsPlainCopy = false;  // the replaced store was damaged: kept as a copy of its files
  std::uint64_t records = 0;   // records of the restored store
};

RestoreResult RestoreBackup(const std::filesystem::path& dataFolder,
                            const std::filesystem::path& backupFile, const Clock& clock,
                            const RestoreOptions& options = {});

// The registry copy kept with a store copy: "registry-<stem>.reg" beside a backup of the
// rotation, "<file>.reg" beside any other file. Empty when there is none.
std::filesystem::path RegistryCopyOf(const std::filesystem::path& backupFile);

}  // namespace quidora::platform
