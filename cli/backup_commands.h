// quidora-cli's backup commands: `backup [FILE]`, `backups` and `restore NAME|FILE|--latest
// [--settings]`. `backup` and `restore` write, so they take the data folder's lock and refuse
// while the device program runs on the folder; `backups` only reads.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

#include "platform/clock.h"
#include "platform/locations.h"

namespace quidora::cli {

// The device program (or another writer) holds the data folder.
inline constexpr int kExitFolderBusy = 3;

bool IsBackupCommand(std::string_view word);

// `args` are the arguments after the program name, the command first.
int RunBackupCommand(std::span<const std::string_view> args,
                     const platform::EnvironmentLookup& env, const platform::Clock& clock,
                     std::ostream& out, std::ostream& err);

}  // namespace quidora::cli
