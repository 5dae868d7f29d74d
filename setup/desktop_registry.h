// The desktop registry, as far as the launcher reads it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quidora::setup {

class DesktopRegistry {
 public:
  virtual ~DesktopRegistry() = default;
  // The default value of `keyPath` under the local-machine root, opened for reading; nothing
  // when the key cannot be opened or has no readable string default value.
  virtual std::optional<std::string> ReadLocalMachineDefault(std::string_view keyPath) = 0;
};

}  // namespace quidora::setup
