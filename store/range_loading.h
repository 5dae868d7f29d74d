// Loading the money records of a range of dates for the reports, through the money database's
// date order, at the cost of the range.
#pragma once

#include <cstdint>

#include "core/message_service.h"
#include "core/record_list.h"
#include "store/databases.h"

namespace quidora {

// Replaces the money list by every account's records whose date number lies in start..end
// (both included), with what balances need only: account key, date, amount and type (no key,
// category or memo). A volume that keeps no date order (read-only, of an older version) is read
// whole, as LoadAllMoneyRecords reads it. Messages and results as LoadAllMoneyRecords: false
// with the database-problem message when the database cannot be read; a record whose
// properties cannot be decoded is left out and the message shown once (true).
bool LoadMoneyAmountsInRange(Databases& store, MoneyList& moneyList, std::uint32_t start,
                             std::uint32_t end, MessageService& ui);

}  // namespace quidora
