// export ACCOUNT FILE: the account's records written to FILE by the device program's
// transactions writer, so the bytes are those of its Export Transactions with the same options.
#pragma once

#include "cli/arguments.h"
#include "cli/commands.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "store/store_reader.h"

namespace quidora::cli {

// The records go in ascending date order, equal dates in the store's key order (the account
// view sorted by date, ascending); with `descending` in the exact reverse of that order. The
// report date is today by `clock`. See cli/export_target.h for what FILE may be.
Outcome ExportAccount(StoreReader& store, const Request& request,
                      const platform::DeviceLocations& locations, const platform::Clock& clock);

}  // namespace quidora::cli
