// Which backups the rotation keeps. Of the regular backups: the newest of each of the 7 newest
// days that have one, of each of the 5 newest weeks (Monday to Sunday) and of each of the 12
// newest months; a backup chosen by any of the three stays. The backups made before an upgrade,
// an import or a restore stay for 30 days. Whatever those rules say, a backup that passed
// verification is never deleted while no other verified backup stays.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "platform/backup_names.h"

namespace quidora::platform {

inline constexpr int kDailyBackups = 7;
inline constexpr int kWeeklyBackups = 5;
inline constexpr int kMonthlyBackups = 12;
inline constexpr int kStepBackupDays = 30;

// keep[i] says whether backups[i] stays at `now`. `verified(i)` says whether backups[i] passes
// its verification; it is asked only as far as needed, as each answer reads a whole file.
std::vector<bool> BackupsToKeep(std::span<const BackupId> backups, const SystemTime& now,
                                const std::function<bool(std::size_t)>& verified);

}  // namespace quidora::platform
