// One run of quidora-cli: the command line in, the report on `out`, messages on `err`, the
// exit status back. The store is found as the device program finds it (QUIDORA_HOME, else the
// XDG data folder) and opened for reading only.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

#include "platform/locations.h"

namespace quidora::cli {

int RunProgram(std::span<const std::string_view> args, const platform::EnvironmentLookup& env,
               std::ostream& out, std::ostream& err);

}  // namespace quidora::cli
