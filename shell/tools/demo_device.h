// Fills a device home with a few accounts, categories and money records, for screenshots,
// demonstrations and benchmarks. Goes through the store's own operations, so the result is a
// device as the program itself would have left it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/clock.h"
#include "platform/locations.h"

namespace quidora::tools {

struct DemoContents {
  std::size_t accounts = 3;           // at most 15
  std::size_t recordsPerAccount = 8;  // money records of each account
};

// False (with a reason in `error`) when the store could not be opened or written.
bool FillDemoDevice(const platform::DeviceLocations& locations, const platform::Clock& clock,
                    const DemoContents& contents, std::string& error);

}  // namespace quidora::tools
