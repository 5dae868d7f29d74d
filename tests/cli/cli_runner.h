// Runs quidora-cli as its own process with a chosen QUIDORA_HOME and collects what it says.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace quidora::testing {

struct CliRun {
  int status = -1;  // the exit status; -1 when the process did not end normally
  std::string out;
  std::string err;
};

// `home` is QUIDORA_HOME as given; the program starts in `workingFolder` (empty: this one).
CliRun RunCli(const std::filesystem::path& home, std::initializer_list<std::string_view> args,
              const std::filesystem::path& workingFolder = {});

// Every file of `folder` with its bytes, by name; of the shared index beside a volume in use
// (*-shm) only its presence, as readers take their place in it.
std::map<std::string, std::string> FolderBytes(const std::filesystem::path& folder);

}  // namespace quidora::testing
