// Starts the application manager as a process of its own, without a shell, and waits for it
// while the launcher's windows keep painting.
#pragma once

#include "setup/manager_starter.h"

namespace quidora::setup {

class ProcessManagerStarter : public ManagerStarter {
 public:
  bool StartAndWait(const std::string& program, const std::string& argument) override;
  // The manager's exit code after the last StartAndWait that started it.
  int LastExitCode() const { return lastExitCode_; }

 private:
  int lastExitCode_ = -1;
};

}  // namespace quidora::setup
