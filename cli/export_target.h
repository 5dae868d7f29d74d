// Where `quidora-cli export` puts its bytes, and what it refuses to write over.
//
// - "-" is standard output, for pipes.
// - Any other target is a regular file that does not exist yet, or one that does when `force`
//   is given; it is replaced whole or not at all (a temporary file beside it takes its name
//   once complete and synced) and keeps its mode. A symbolic link, FIFO, device, socket or
//   folder under the name is refused and left as it is.
// - Nothing is written into the data folder, whatever path names it (the folder is told by its
//   device and inode), nor over any of its files under another name (a hard link).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "cli/commands.h"
#include "export/csv_files.h"

namespace quidora::cli {

struct ExportTarget {
  std::string file;  // as typed; "-" for standard output
  bool force = false;
  std::filesystem::path dataFolder;
};

// Checks the target before anything is read, so a refusal costs no time. Done when it may
// be written.
Outcome CheckExportTarget(const ExportTarget& target);

// Writes the bytes `fill` produces to the target, checking it again.
Outcome WriteExportTarget(const ExportTarget& target, const std::function<bool(ByteSink&)>& fill);

}  // namespace quidora::cli
