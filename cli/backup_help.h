// What `quidora-cli --help` prints about the backup commands, after the reading commands.
#pragma once

#include <string_view>

namespace quidora::cli {

inline constexpr std::string_view kBackupHelpText =
    R"(
Backups (these write; they refuse, with status 3, while Quidora runs on the
data folder):
  backup [FILE]
      Makes a verified backup of the store and the settings now: into the
      data folder's backups/ folder, kept in the rotation, or to FILE (the
      settings to FILE.reg).
  backups [--format table|csv|json]
      Lists the backups, newest first: name, time (UTC), kind (regular, or
      made before an upgrade, import or restore), size in bytes, records and
      whether the files are still what was verified when they were made.
  restore NAME|FILE|--latest [--settings]
      Brings back a backup (by its name in the listing, a file, or the newest
      verified one). The backup is verified first; a damaged, cut, newer or
      foreign file is refused and nothing changes. The store in place is
      backed up first (kind restore), then replaced in one step. --settings
      brings back the settings kept with the backup too.

Quidora makes a backup at exit when the store changed and the newest regular
backup is more than a day old, and before an upgrade, an import or a restore.
It keeps the newest backup of each of the last 7 days, 5 weeks and 12
months, and those made before a step for 30 days.

Exit status of the backup commands: 0 done; 1 a wrong command line or an
unknown backup; 2 no store, a damaged or unusable store or backup, or a file
that could not be written (a full disk), with nothing changed; 3 Quidora is
running on the data folder.
)";

}  // namespace quidora::cli
