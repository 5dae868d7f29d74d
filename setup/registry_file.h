// The desktop registry kept in a text file in the .reg style:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\CEAPPMGR.EXE]
//   @="/usr/local/bin/quidappmgr"
//
// Key paths compare without regard to case, as the desktop registry's do. Inside quotes "\\"
// stands for a backslash and "\"" for a quote. Lines starting with ";" are comments; a line that
// cannot be read is skipped.
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
