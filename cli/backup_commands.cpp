#include "cli/backup_commands.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/report.h"
#include "platform/backup_listing.h"
#include "platform/backup_restore.h"
#include "platform/backup_snapshot.h"
#include "platform/folder_lock.h"
#include "platform/leftovers.h"

namespace quidora::cli {
namespace {

constexpr std::string_view kName = "quidora-cli";

int Tell(std::ostream& err, int status, std::string_view message) {
  err << kName << ": " << message << '\n';
  return status;
}

int WrongLine(std::ostream& err, const std::string& message) {
  return Tell(err, kExitRefused, message + "\nTry \"quidora-cli --help\".");
}

struct BackupRequest {
  std::string_view command;
  std::string operand;  // FILE of backup; NAME or FILE of restore
  bool latest = false;
  bool settings = false;
  Format format = Format::Table;
};

std::optional<BackupRequest> Parse(std::span<const std::string_view> args, std::string& error) {
  BackupRequest request;
  request.command = args[0];
  std::vector<std::string_view> operands;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--format" && request.command == "backups") {
      if (i + 1 == args.size()) {
        error = "--format needs a value: table, csv or json";
        return std::nullopt;
      }
      const std::string_view value = args[++i];
      if (value == "table") {
        request.format = Format::Table;
      } else if (value == "csv") {
        request.format = Format::Csv;
      } else if (value == "json") {
        request.format = Format::Json;
      } else {
        error = "unknown format \"" + std::string(value) + "\": table, csv or json";
        return std::nullopt;
      }
    } else if (arg == "--latest" && request.command == "restore") {
      request.latest = true;
    } else if (arg == "--settings" && request.command == "restore") {
      request.settings = true;
    } else if (arg == "--") {
      operands.insert(operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                      args.end());
      break;
    } else if (arg.starts_with("--")) {
      error = "unknown option " + std::string(arg) + " for " + std::string(request.command);
      return std::nullopt;
    } else {
      operands.push_back(arg);
    }
  }
  const std::size_t allowed = request.command == "backups" ? 0 : 1;
  if (operands.size() > allowed) {
    error = "too many operands for " + std::string(request.command);
    return std::nullopt;
  }
  if (!operands.empty()) request.operand = operands.front();
  if (request.command == "restore" && request.latest == !request.operand.empty()) {
    error = "restore needs a backup: NAME, FILE or --latest";
    return std::nullopt;
  }
  return request;
}

// Takes the data folder's lock; a status other than kExitDone when it cannot be had.
int Lock(platform::FolderLock& lock, const platform::DeviceLocations& locations,
         std::ostream& err) {
  std::error_code error;
  if (!std::filesystem::is_directory(locations.dataFolder, error)) {
    return Tell(err, kExitStore, "there is no Quidora store at " + locations.objectStore.string());
  }
  switch (lock.Acquire(locations.dataFolder.string())) {
    case platform::FolderLock::Outcome::Held:
      // No other writer runs now: what a killed one left is of no use.
      platform::RemoveLeftoverFiles(locations);
      platform::RemoveBackupLeftovers(locations.dataFolder);
      return kExitDone;
    case platform::FolderLock::Outcome::Busy:
      return Tell(err, kExitFolderBusy,
                  "Quidora is running on " + locations.dataFolder.string() +
                      "; close it first (nothing was changed)");
    case platform::FolderLock::Outcome::Failed:
      break;
  }
  return Tell(err, kExitStore, "cannot lock the data folder: " + lock.Problem());
}

std::string NewestGoodBackupText(const std::filesystem::path& dataFolder) {
  const std::optional<platform::BackupEntry> newest = platform::NewestVerifiedBackup(dataFolder);
  if (!newest) return "; there is no verified backup";
  return "; the newest good backup is " + newest->file.filename().string() + " from " +
         platform::TimeText(newest->id.time) +
         " UTC (quidora-cli restore --latest brings it back)";
}

int Backup(const BackupRequest& request, const platform::DeviceLocations& locations,
           const platform::Clock& clock, std::ostream& out, std::ostream& err) {
  platform::FolderLock lock;
  if (const int status = Lock(lock, locations, err); status != kExitDone) return status;
  platform::BackupOptions options;
  options.file = request.operand;
  const platform::BackupResult made =
      platform::MakeBackup(locations.dataFolder, platform::BackupKind::Regular, clock, options);
  switch (made.outcome) {
    case platform::BackupResult::Outcome::Made:
      out << "Backed up " << made.records << " records to " << made.file.string() << '\n';
      if (!made.registry.empty()) out << "Settings to " << made.registry.string() << '\n';
      out.flush();
      return out ? kExitDone : Tell(err, kExitRefused, "cannot write the report");
    case platform::BackupResult::Outcome::NoStore:
      return Tell(err, kExitStore, made.reason);
    case platform::BackupResult::Outcome::StoreDamaged:
      return Tell(err, kExitStore, made.reason + NewestGoodBackupText(locations.dataFolder));
    case platform::BackupResult::Outcome::Failed:
      break;
  }
  return Tell(err, kExitStore, "no backup was made: " + made.reason);
}

int List(const BackupRequest& request, const platform::DeviceLocations& locations,
         std::ostream& out, std::ostream& err) {
  Report report;
  report.listName = "backups";
  report.columns = {{"name", "Name", ColumnKind::Text},       {"time", "Time (UTC)", ColumnKind::Text},
                    {"kind", "Kind", ColumnKind::Text},       {"size", "Size", ColumnKind::Count},
                    {"records", "Records", ColumnKind::Count}, {"verified", "Verified", ColumnKind::Text}};
  for (const platform::BackupEntry& entry : platform::FindBackups(locations.dataFolder)) {
    const bool verified = platform::BackupVerifies(entry);
    report.rows.push_back(
        {entry.file.filename().string(), platform::TimeText(entry.id.time),
         std::string(platform::KindName(entry.id.kind)), static_cast<std::int64_t>(entry.size),
         static_cast<std::int64_t>(entry.record ? entry.record->records : 0),
         std::string(verified ? "yes" : "no")});
  }
  WriteReport(report, request.format, out);
  return out ? kExitDone : Tell(err, kExitRefused, "cannot write the report");
}

// The backup file a restore names: a backup of the rotation by its name (with or without
// ".db"), else a file by its path.
std::optional<std::filesystem::path> FindNamed(const std::string& operand,
                                               const std::filesystem::path& dataFolder) {
  if (operand.find('/') == std::string::npos) {
    const std::filesystem::path folder = platform::BackupFolder(dataFolder);
    for (const std::string& name : {operand, operand + ".db", "objectstore-" + operand + ".db"}) {
      if (platform::ParseStoreBackupName(name) && std::filesystem::exists(folder / name)) {
        return folder / name;
      }
    }
  }
  std::error_code error;
  if (std::filesystem::exists(operand, error)) return std::filesystem::path(operand);
  return std::nullopt;
}

int Restore(const BackupRequest& request, const platform::DeviceLocations& locations,
            const platform::Clock& clock, std::ostream& out, std::ostream& err) {
  platform::FolderLock lock;
  if (const int status = Lock(lock, locations, err); status != kExitDone) return status;
  std::filesystem::path file;
  if (request.latest) {
    const std::optional<platform::BackupEntry> newest =
        platform::NewestVerifiedBackup(locations.dataFolder);
    if (!newest) {
      return Tell(err, kExitStore,
                  "there is no verified backup in " +
                      platform::BackupFolder(locations.dataFolder).string() +
                      "; nothing was changed");
    }
    file = newest->file;
  } else if (const auto named = FindNamed(request.operand, locations.dataFolder)) {
    file = *named;
  } else {
    return Tell(err, kExitRefused,
                "there is no backup named " + request.operand +
                    " (quidora-cli backups lists them); nothing was changed");
  }

  platform::RestoreOptions options;
  options.settings = request.settings;
  const platform::RestoreResult restored =
      platform::RestoreBackup(locations.dataFolder, file, clock, options);
  switch (restored.outcome) {
    case platform::RestoreResult::Outcome::Restored:
      break;
    case platform::RestoreResult::Outcome::Refused:
      return Tell(err, kExitStore, "cannot restore " + restored.reason + "; nothing was changed");
    case platform::RestoreResult::Outcome::Failed:
      return Tell(err, kExitStore,
                  "the restore failed: " + restored.reason + "; the store was left as it was");
  }
  out << "Restored " << restored.records << " records from " << file.string() << '\n';
  if (request.settings) out << "The settings were restored too\n";
  if (!restored.keptBefore.file.empty()) {
    out << "The store it replaced was kept as " << restored.keptBefore.file.string()
        << (restored.keptAsPlainCopy ? " (a plain copy: it was damaged)" : "") << '\n';
  }
  out.flush();
  return kExitDone;
}

}  // namespace

bool IsBackupCommand(std::string_view word) {
  return word == "backup" || word == "backups" || word == "restore";
}

int RunBackupCommand(std::span<const std::string_view> args,
                     const platform::EnvironmentLookup& env, const platform::Clock& clock,
                     std::ostream& out, std::ostream& err) {
  std::string error;
  const std::optional<BackupRequest> request = Parse(args, error);
  if (!request) return WrongLine(err, error);
  std::error_code noFolder;
  const std::filesystem::path workingFolder = std::filesystem::current_path(noFolder);
  const std::optional<platform::DeviceLocations> locations =
      platform::ResolveDeviceLocations(env, workingFolder);
  if (!locations) {
    return Tell(err, kExitStore, "cannot tell where the store is: set QUIDORA_HOME or HOME");
  }
  if (request->command == "backup") return Backup(*request, *locations, clock, out, err);
  if (request->command == "backups") return List(*request, *locations, out, err);
  return Restore(*request, *locations, clock, out, err);
}

}  // namespace quidora::cli
