#include "platform/backup_listing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/backup_files.h"
#include "platform/backup_rotation.h"

namespace quidora::platform {

std::vector<BackupEntry> FindBackups(const std::filesystem::path& dataFolder) {
  const std::filesystem::path folder = BackupFolder(dataFolder);
  std::vector<BackupEntry> entries;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = item.path().filename().string();
    const std::optional<BackupId> id = ParseStoreBackupName(name);
    struct stat info {};
    if (!id || ::lstat(item.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    BackupEntry entry;
    entry.id = *id;
    entry.file = item.path();
    entry.size = static_cast<std::uint64_t>(info.st_size);
    if (const std::filesystem::path registry = folder / RegistryBackupName(*id);
        ::lstat(registry.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      entry.registry = registry;
    }
    entry.record = ReadCheckRecord(folder / CheckRecordName(*id));
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
    const std::int64_t ta = SecondsSinceEpoch(a.id.time);
    const std::int64_t tb = SecondsSinceEpoch(b.id.time);
    return ta != tb ? ta > tb : a.id.sequence > b.id.sequence;
  });
  return entries;
}

bool BackupVerifies(const BackupEntry& entry) {
  if (!entry.record || entry.record->store.size != entry.size) return false;
  if (entry.record->registry.has_value() != !entry.registry.empty()) return false;
  if (DigestFile(entry.file) != entry.record->store) return false;
  return !entry.record->registry || DigestFile(entry.registry) == entry.record->registry;
}

std::optional<BackupEntry> NewestVerifiedBackup(const std::filesystem::path& dataFolder) {
  for (BackupEntry& entry : FindBackups(dataFolder)) {
    if (BackupVerifies(entry)) return std::move(entry);
  }
  return std::nullopt;
}

std::vector<std::filesystem::path> RotateBackups(const std::filesystem::path& dataFolder,
                                                 const Clock& clock) {
  const std::vector<BackupEntry> entries = FindBackups(dataFolder);
  std::vector<BackupId> ids;
  for (const BackupEntry& entry : entries) ids.push_back(entry.id);
  const std::vector<bool> keep = BackupsToKeep(
      ids, clock.NowUtc(), [&](std::size_t i) { return BackupVerifies(entries[i]); });
  std::vector<std::filesystem::path> deleted;
  const std::filesystem::path folder = BackupFolder(dataFolder);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (keep[i]) continue;
    // The store's copy first: once it is gone the rest is a leftover, never half a backup.
    if (::unlink(entries[i].file.c_str()) != 0) continue;
    ::unlink((folder / CheckRecordName(entries[i].id)).c_str());
    if (!entries[i].registry.empty()) ::unlink(entries[i].registry.c_str());
    deleted.push_back(entries[i].file);
  }
  if (!deleted.empty()) SyncFolder(folder, nullptr);
  return deleted;
}

std::vector<std::filesystem::path> RemoveBackupLeftovers(const std::filesystem::path& dataFolder) {
  const std::filesystem::path folder = BackupFolder(dataFolder);
  std::set<std::string> stems;
  for (const BackupEntry& entry : FindBackups(dataFolder)) stems.insert(BackupStem(entry.id));
  std::vector<std::filesystem::path> removed;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = item.path().filename().string();
    bool leftover = name.find(".tmp-") != std::string::npos;
    // A registry copy or check record without its store copy: a backup that never got its name.
    if (!leftover && name.starts_with("registry-") && name.ends_with(".reg")) {
      leftover = !stems.contains(name.substr(9, name.size() - 13));
    }
    if (!leftover && name.starts_with("objectstore-") && name.ends_with(".db.sum")) {
      leftover = !stems.contains(name.substr(12, name.size() - 19));
    }
    struct stat info {};
    if (!leftover || ::lstat(item.path().c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (::unlink(item.path().c_str()) == 0) removed.push_back(item.path());
  }
  return removed;
}

}  // namespace quidora::platform
