#include "cli/program.h"

#include <filesystem>
#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/export_command.h"
#include "cli/help_text.h"
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

}  // namespace

int RunProgram(std::span<const std::string_view> args, const platform::EnvironmentLookup& env,
               std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && args[0] == "--version") {
    out << kName << ' ' << kVersionText << '\n';
    out.flush();
    return out ? kExitDone : Tell(err, kExitRefused, "cannot write the version");
  }
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.request) {
    return Tell(err, kExitRefused, parsed.error + "\nTry \"quidora-cli --help\".");
  }
  const Request& request = *parsed.request;
  if (request.command == Command::Help) {
    out << kHelpText;
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
  platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(locations->objectStore);
  if (opened.reader == nullptr) {
    return Tell(err, kExitStore, WhyRefused(opened, locations->objectStore));
  }
  StoreReader store(*opened.reader);

  Report report;
  Outcome outcome;
  switch (request.command) {
    case Command::Accounts:
      outcome = AccountsReport(store, request, report);
      break;
    case Command::Categories:
      outcome = CategoriesReport(store, request, report);
      break;
    case Command::Records:
      outcome = RecordsReport(store, request, report);
      break;
    case Command::Export: {
      const platform::SystemClock clock;
      outcome = ExportAccount(store, request, *locations, clock);
      // The file is the output; nothing goes to the terminal.
      if (outcome.status == kExitDone) return kExitDone;
      break;
    }
    case Command::Help:
      break;
  }
  if (outcome.status != kExitDone) return Tell(err, outcome.status, outcome.error);

  switch (request.format) {
    case Format::Table:
      WriteTable(report, out);
      break;
    case Format::Csv:
      WriteCsv(report, out);
      break;
    case Format::Json:
      WriteJson(report, out);
      break;
  }
  out.flush();
  // A full disk or a closed pipe must not pass for a complete report.
  return out ? kExitDone : Tell(err, kExitRefused, "cannot write the report");
}

}  // namespace quidora::cli
