// Every account's balance over a range of dates for the accounts balance report, summed as the
// money database's date order hands the range's records over: the read costs the range, and no
// list of the records is built.
#pragma once

#include <cstdint>

#include "core/message_service.h"
#include "core/record_list.h"
#include "store/databases.h"

namespace quidora {

// What loading every money record and running AccountBalances over start..end (both included)
// gives: the same balances, total, result and messages. A volume that keeps no date order
// (read-only, of an older version) is read whole to that end. When the database cannot be
// read: the database-problem message, and the sums of what was read before (false when nothing
// was). A record whose properties cannot be decoded is left out and the message shown once.
bool SumBalancesInRange(Databases& store, AccountList& accounts, std::uint32_t start,
                        std::uint32_t end, std::int64_t& total, MessageService& ui);

}  // namespace quidora
