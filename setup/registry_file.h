// The desktop registry kept in a text file, in the registry file format of the platform layer
// (see platform/registry.h). The value with the empty name is a key's default value:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\CEAPPMGR.EXE]
//   ""="/usr/local/bin/quidappmgr"
//
// Key paths compare without regard to case; a damaged line is skipped.
#pragma once

#include <filesystem>

#include "setup/desktop_registry.h"

namespace quidora::setup {

class RegistryFile : public DesktopRegistry {
 public:
  explicit RegistryFile(std::filesystem::path file) : file_(std::move(file)) {}

  // Reads the file again on every call: the registry may change while the launcher runs.
  std::optional<std::string> ReadLocalMachineDefault(std::string_view keyPath) override;

 private:
  std::filesystem::path file_;
};

}  // namespace quidora::setup
