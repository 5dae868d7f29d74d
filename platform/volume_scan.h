// The whole-file check of a store that is in use: SQLite's quick_check over every page, on a
// connection of its own that only reads, so that it can run on another thread while the
// program goes on with its own connection. Damage found while the program was stopped after a
// clean end is otherwise noticed only when a read happens to touch the damaged page.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

namespace quidora::platform {

struct VolumeScan {
  enum class Outcome {
    Sound,       // every page reads and agrees with its indexes
    Damaged,     // SQLite reports damage; `detail` says what
    NotChecked,  // the check could not run to its end (stopped, busy, unreadable): no verdict
  };
  Outcome outcome = Outcome::NotChecked;
  std::string detail;
};

// Checks `file` as it stands with its log. `stop`, when set from another thread, ends the check
// early with NotChecked.
VolumeScan ScanVolume(const std::filesystem::path& file, const std::atomic<bool>& stop);

}  // namespace quidora::platform
