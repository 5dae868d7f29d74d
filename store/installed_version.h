// The product key's version values are an installation's to write. A device that no installer
// set up has none, and its About box would read 0.0: the start then takes this build's version
// for each value that is missing, and the exit writes it as it writes every setting. A value
// that is there, whatever it holds, is kept.
#pragma once

#include <cstdint>

#include "store/settings.h"

namespace quidora {

namespace platform {
class Registry;
}

// Call after ReadSettings, which names the product key.
void TakeVersionWhereMissing(platform::Registry& registry, Settings& settings,
                             std::uint32_t major, std::uint32_t minor);

}  // namespace quidora
