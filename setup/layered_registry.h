// The desktop registry as the launcher reads it: the user's own file first, so that a user (or
// a test) can name another manager, then the machine's file that the package installed.
#pragma once

#include "setup/desktop_registry.h"

namespace quidora::setup {

class LayeredRegistry : public DesktopRegistry {
 public:
  LayeredRegistry(DesktopRegistry& user, DesktopRegistry& machine)
      : user_(user), machine_(machine) {}

  std::optional<std::string> ReadLocalMachineDefault(std::string_view keyPath) override {
    if (std::optional<std::string> value = user_.ReadLocalMachineDefault(keyPath)) return value;
    return machine_.ReadLocalMachineDefault(keyPath);
  }

 private:
  DesktopRegistry& user_;
  DesktopRegistry& machine_;
};

}  // namespace quidora::setup
