// The signed total of every money record of a list within a date range: income adds, anything
// else subtracts. The running sum is tested before each record against the signed 32-bit range
// of cents (both limits, whatever the record's type), as every balance of the program is.
#pragma once

#include <cstdint>
#include <optional>

#include "core/record_list.h"

namespace quidora::reports {

// Nothing when a record would carry the sum past either limit; the caller shows the overflow
// message. Both range ends are date numbers and are included.
std::optional<std::int64_t> RangeTotal(const MoneyList& money, std::uint32_t startDateNumber,
                                       std::uint32_t endDateNumber);

// True when `cents` fits the signed 32-bit amount fields.
bool FitsAmountField(std::int64_t cents);

}  // namespace quidora::reports
