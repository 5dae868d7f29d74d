// Starts the desktop application manager and waits for it.
#pragma once

#include <string>

namespace quidora::setup {

class ManagerStarter {
 public:
  virtual ~ManagerStarter() = default;
  // Starts `program` with the one argument `argument` (passed as it is, quotes included) and
  // returns once it has exited; false when it could not be started.
  virtual bool StartAndWait(const std::string& program, const std::string& argument) = 0;
};

}  // namespace quidora::setup
