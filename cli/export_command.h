// export ACCOUNT FILE: the account's records written to FILE by the device program's
// transactions writer, so the bytes are those of its Export Transactions with the same options.
#pragma once

#include "cli/arguments.h"
#include "cli/commands.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "store/store_reader.h"

namespace quidora::cli {

// The records go in date order (equal dates in key order), as the account view shows them
// sorted by date; the report date is today by `clock`. FILE is replaced whole or not at all:
// the bytes go to a temporary file beside it, which takes its name once complete and synced.
// FILE may not name the store's own files.
Outcome ExportAccount(StoreReader& store, const Request& request,
                      const platform::DeviceLocations& locations, const platform::Clock& clock);

}  // namespace quidora::cli
