// The date number of a date stored as three numbers, as records and the store's date order both
// take it.
#pragma once

#include <cstdint>

namespace quidora {

// The date number a record gets from a date stored as year, month and day, 0 when it refuses
// that date (see DateNumberOf). A number too wide for its date field does not wrap into an
// acceptable date.
std::uint32_t StoredDateNumber(std::uint32_t year, std::uint32_t month, std::uint32_t day);

}  // namespace quidora
