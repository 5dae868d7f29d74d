#include "setup/install_sequence.h"

#include <filesystem>
#include <system_error>
#include <thread>

#include "setup/description_choice.h"

namespace quidora::setup {

std::optional<std::string> ProcessCurrentDirectory() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  if (error) return std::nullopt;
  return folder.string();
}

std::string InstallationArgument(std::string_view folder, std::string_view descriptionFile) {
  std::string argument = "\"";
  argument += folder;
  if (!argument.ends_with('/')) argument += '/';
  argument += descriptionFile;
  argument += '"';
  return argument;
}

InstallSequence::InstallSequence(InstallParts parts)
    : parts_(std::move(parts)), connection_(parts_.device, parts_.mutexes, parts_.progress) {}

InstallDecision InstallSequence::Refuse(SetupString message) {
  parts_.messages.ShowError(SetupText(message));
  return InstallDecision{};
}

InstallDecision InstallSequence::Run() {
  std::optional<std::string> managerPath =
      parts_.registry.ReadLocalMachineDefault(SetupText(SetupString::ManagerKey));
  if (!managerPath) return Refuse(SetupString::NoSyncSoftware);

  std::optional<std::string> folder = parts_.currentDirectory();
  if (!folder) return Refuse(SetupString::CannotStart);

  if (!connection_.Start()) return Refuse(SetupString::CannotStart);

  std::this_thread::sleep_for(parts_.timings.beforeProgress);
  parts_.progress.Open();
  std::this_thread::sleep_for(parts_.timings.afterProgress);

  MutexHandle mutex = connection_.Mutex();
  switch (mutex.Wait(parts_.timings.connectionWait)) {
    case WaitResult::TimedOut:
      parts_.progress.Close();
      mutex.Close();
      return Refuse(SetupString::NoConnection);
    case WaitResult::Abandoned:
    case WaitResult::Failed:
      parts_.progress.Close();
      mutex.Close();
      return Refuse(SetupString::CannotStart);
    case WaitResult::Acquired:
      mutex.Release();
      mutex.Close();
      break;
  }

  std::optional<SetupString> refusal;
  std::optional<std::string_view> descriptionFile;
  if (std::optional<DeviceVersion> version = parts_.device.CeGetVersionEx(); !version) {
    refusal = SetupString::NoVersion;
  } else if (version->major < 3) {
    refusal = SetupString::NotPocketPc;
  } else {
    descriptionFile = DescriptionFileFor(version->major, parts_.device.CeGetSystemInfo());
    if (!descriptionFile) refusal = SetupString::UnknownProcessor;
  }
  if (refusal) {
    parts_.progress.Close();
    parts_.messages.ShowError(SetupText(*refusal));
    parts_.device.CeRapiUninit();
    return InstallDecision{};
  }
  InstallDecision decision;
  decision.result = kInstallResult;
  decision.managerPath = std::move(*managerPath);
  decision.installationArgument = InstallationArgument(*folder, *descriptionFile);
  parts_.device.CeRapiUninit();
  return decision;
}

}  // namespace quidora::setup
