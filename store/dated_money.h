// Money records read through the money database's date order: by account, then date, carrying
// the amount and the type. A read of one account's range of dates, or of every account's, then
// costs the records in the range, and one that needs only balances reads no texts at all.
#pragma once

#include "core/money_record.h"
#include "core/sums.h"
#include "platform/object_store.h"

namespace quidora {

// The order the money database keeps (and a volume without it gains once, when it is opened
// for writing).
platform::DateOrder MoneyDateOrder();

// Fills a reset record from a record read through the order without its whole properties: the
// account key (kNoKey without one), the date, the amount and the type, as FillMoneyRecord fills
// them from the whole record. False when the carried bytes cannot be decoded.
bool FillMoneyRecordFromPlace(const platform::DatedRecord& dated, platform::Record& scratch,
                              MoneyRecord& record);

// The amounts of start..end as a read of what the order carries asks for them (every account).
platform::DateRange AmountsInRange(std::uint32_t start, std::uint32_t end);

// Hands one record of such a read to `balances` with the account, amount and type that
// FillMoneyRecordFromPlace would give it; false, with nothing handed, when its carried bytes
// cannot be decoded. `scratch` is reused from record to record.
bool TakeDatedAmount(const platform::DatedRecord& dated, RangeBalances& balances,
                     platform::Record& scratch);

}  // namespace quidora
