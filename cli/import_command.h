// import FILE --account NAME [options]: records from a file into one account of the store, all
// or nothing. The one command of quidora-cli that writes: it takes the data folder's lock, so it
// refuses while the device program runs on the folder.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

#include "platform/clock.h"
#include "platform/locations.h"

namespace quidora::cli {

// The device program holds the data folder: nothing was done.
inline constexpr int kExitBusy = 3;

// `args` are the arguments after "import". Exit statuses: 0 imported (or, with --dry-run,
// planned), 1 the command line or the file is refused (nothing written), 2 the store cannot be
// used, 3 the device program runs on the folder. The store is left as it was in every failure.
int RunImport(std::span<const std::string_view> args, const platform::EnvironmentLookup& env,
              const platform::Clock& clock, std::ostream& out, std::ostream& err);

}  // namespace quidora::cli
