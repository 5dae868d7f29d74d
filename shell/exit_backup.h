// The backup at the end of a run of the device program. It runs after the window has closed,
// so the user never waits for it on the screen; the process still ends only once it is done,
// and a kill meanwhile leaves the store as it was and no backup but temporary files, which
// the next start removes.
#pragma once

#include <filesystem>
#include <iosfwd>

#include "core/message_service.h"
#include "platform/backup_snapshot.h"
#include "platform/clock.h"

namespace quidora {

// A backup is due when the run changed the store and the newest regular backup is more than a
// day old (or there is none).
bool ExitBackupDue(const std::filesystem::path& dataFolder, bool storeChanged,
                   const platform::Clock& clock);

// Makes the backup when it is due. A store found damaged is told at once, naming it and the
// newest good backup; a backup that cannot be written (a full disk) is noted on `errors`.
// Returns the outcome, nullopt when no backup was due.
std::optional<platform::BackupResult> BackUpAtExit(const std::filesystem::path& dataFolder,
                                                   bool storeChanged,
                                                   const platform::Clock& clock,
                                                   MessageService& messages,
                                                   std::ostream& errors);

}  // namespace quidora
