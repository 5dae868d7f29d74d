// Which installation description file fits a device.
#pragma once

#include <optional>
#include <string_view>

#include "setup/remote_device.h"

namespace quidora::setup {

// The description file for a device of major version 3 or higher; nothing when its processor is
// not one the program is built for. Version 3 tests MIPS first, then SH, then ARM.
std::optional<std::string_view> DescriptionFileFor(std::uint32_t majorVersion,
                                                   const DeviceSystemInfo& info);

}  // namespace quidora::setup
