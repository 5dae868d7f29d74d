#include "platform/backup_rotation.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <set>

namespace quidora::platform {
namespace {

// Keeps the newest backup of each of the `count` newest buckets, walking newest first.
template <typename Bucket>
void KeepNewestPerBucket(std::span<const BackupId> backups, const std::vector<std::size_t>& order,
                         int count, Bucket bucketOf, std::vector<bool>& keep) {
  std::set<std::int64_t> seen;
  for (std::size_t i : order) {
    if (backups[i].kind != BackupKind::Regular) continue;
    if (static_cast<int>(seen.size()) == count) break;
    if (seen.insert(bucketOf(backups[i].time)).second) keep[i] = true;
  }
}

}  // namespace

std::vector<bool> BackupsToKeep(std::span<const BackupId> backups, const SystemTime& now,
                                const std::function<bool(std::size_t)>& verified) {
  std::vector<std::size_t> order(backups.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const std::int64_t ta = SecondsSinceEpoch(backups[a].time);
    const std::int64_t tb = SecondsSinceEpoch(backups[b].time);
    return ta != tb ? ta > tb : backups[a].sequence > backups[b].sequence;
  });

  std::vector<bool> keep(backups.size(), false);
  KeepNewestPerBucket(backups, order, kDailyBackups, DaysSinceEpoch, keep);
  // 1970-01-01 was a Thursday: three days on, weeks start on Mondays.
  KeepNewestPerBucket(
      backups, order, kWeeklyBackups,
      [](const SystemTime& t) {
        const std::int64_t days = DaysSinceEpoch(t) + 3;
        return days >= 0 ? days / 7 : (days - 6) / 7;
      },
      keep);
  KeepNewestPerBucket(
      backups, order, kMonthlyBackups,
      [](const SystemTime& t) { return std::int64_t{t.year} * 12 + t.month; }, keep);

  const std::int64_t nowSeconds = SecondsSinceEpoch(now);
  for (std::size_t i : order) {
    if (backups[i].kind == BackupKind::Regular) continue;
    // One dated after now (the clock was set back) is young, not old.
    keep[i] = nowSeconds - SecondsSinceEpoch(backups[i].time) <= kStepBackupDays * 86400;
  }

  for (std::size_t i : order) {
    if (keep[i] && verified(i)) return keep;
  }
  for (std::size_t i : order) {
    if (!keep[i] && verified(i)) {
      keep[i] = true;
      break;
    }
  }
  return keep;
}

}  // namespace quidora::platform
