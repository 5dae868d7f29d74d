#include "cli/program.h"

#include <chrono>
#include <filesystem>
#include <thread>
#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/backup_commands.h"
#include "cli/backup_help.h"
#include "cli/commands.h"
#include "cli/export_command.h"
#include "cli/help_text.h"
#include "cli/import_command.h"
#include "cli/report.h"
#include "platform/clock.h"
#include "platform/volume_reader.h"
#include "quidora_version.h"
#include "store/store_reader.h"

namespace quidora::cli {

namespace {

constexpr std::string_view kName = "quidora-cli";

int Tell(std::ostream& err, int status, std::string_view message) {
  err << kName << ": " << message << '\n';
  return status;
}

std::string WhyRefused(const platform::VolumeReader::OpenResult& opened,
                       const std::filesystem::path& file) {
  const std::string path = file.string();
  if (opened.missing) return "there is no Quidora store at " + path;
  switch (opened.status) {
    case platform::VolumeStatus::Damaged:
      return "the store " + path + " is damaged (" + opened.detail + "); it was left as it is";
    case platform::VolumeStatus::Foreign:
      return path + " is not a Quidora store; it was left as it is";
    case platform::VolumeStatus::Newer:
      return "the store " + path +
             " was written by a later version of Quidora, which this program cannot read";
    default:
      return "the store " + path + " cannot be read (" + opened.detail + ")";
  }
}

// A read that fails after the store opened (damage further in, found only when a page is read)
// names the file as a refusal at open does.
std::string WhyReadFailed(platform::StoreError error, const std::filesystem::path& file) {
  const std::string path = file.string();
  if (error == platform::StoreError::Corrupt) {
    return "the store " + path + " is damaged (found while reading it); it was left as it is";
  }
  return "the store " + path + " cannot be read";
}

std::string KeptChanging(const std::filesystem::path& file) {
  return "the store " + file.string() + " kept changing while it was read (the device program " +
         "writes to it); it was left as it is: try again";
}

// The device program may start and write to the store while it is read; a read it spoiled is
// made again this many times before anything is said.
constexpr int kReadAttempts = 5;

Outcome RunCommand(const Request& request, StoreReader& store,
                   const platform::DeviceLocations& locations, Report& report) {
  switch (request.command) {
    case Command::Accounts:
      return AccountsReport(store, request, report);
    case Command::Categories:
      return CategoriesReport(store, request, report);
    case Command::Records:
      return RecordsReport(store, request, report);
    case Command::Export: {
      const platform::SystemClock clock;
      return ExportAccount(store, request, locations, clock);
    }
    case Command::Help:
      break;
  }
  return {};
}

}  // namespace

int RunProgram(std::span<const std::string_view> args, const platform::EnvironmentLookup& env,
               std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && args[0] == "--version") {
    out << kName << ' ' << kVersionText << '\n';
    out.flush();
    return out ? kExitDone : Tell(err, kExitRefused, "cannot write the version");
  }
  if (!args.empty() && IsBackupCommand(args.front())) {
    const platform::SystemClock clock;
    return RunBackupCommand(args, env, clock, out, err);
  }
  // Import writes too and has a command line of its own.
  if (!args.empty() && args.front() == "import") {
    const platform::SystemClock clock;
    return RunImport(args.subspan(1), env, clock, out, err);
  }
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.request) {
    return Tell(err, kExitRefused, parsed.error + "\nTry \"quidora-cli --help\".");
  }
  const Request& request = *parsed.request;
  if (request.command == Command::Help) {
    out << kHelpText << kBackupHelpText;
    out.flush();
    return out ? kExitDone : Tell(err, kExitRefused, "cannot write the help");
  }

  std::error_code noFolder;
  const std::filesystem::path workingFolder = std::filesystem::current_path(noFolder);
  const std::optional<platform::DeviceLocations> locations =
      platform::ResolveDeviceLocations(env, workingFolder);
  if (!locations) {
    return Tell(err, kExitStore, "cannot tell where the store is: set QUIDORA_HOME or HOME");
  }
  Report report;
  Outcome outcome;
  for (int attempt = 1;; ++attempt) {
    const bool last = attempt == kReadAttempts;
    if (attempt > 1) std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
    platform::VolumeReader::OpenResult opened =
        platform::VolumeReader::Open(locations->objectStore);
    if (opened.reader == nullptr) {
      if (opened.changedWhileRead && !last) continue;
      return Tell(err, kExitStore,
                  opened.changedWhileRead ? KeptChanging(locations->objectStore)
                                          : WhyRefused(opened, locations->objectStore));
    }
    StoreReader store(*opened.reader);
    report = Report();
    outcome = RunCommand(request, store, *locations, report);
    if (outcome.status != kExitStore) break;
    if (!opened.reader->ChangedWhileRead()) {
      return Tell(err, outcome.status, WhyReadFailed(store.LastError(), locations->objectStore));
    }
    if (last) return Tell(err, kExitStore, KeptChanging(locations->objectStore));
  }
  if (outcome.status != kExitDone) return Tell(err, outcome.status, outcome.error);
  // The file is the output; nothing goes to the terminal.
  if (request.command == Command::Export) return kExitDone;

  WriteReport(report, request.format, out);
  // A full disk or a closed pipe must not pass for a complete report.
  return out ? kExitDone : Tell(err, kExitRefused, "cannot write the report");
}

}  // namespace quidora::cli
