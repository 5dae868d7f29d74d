// Date orders inside platform/: where a record stands in one, what it carries, and the range
// read that both the store and the read-only reader use.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/object_store.h"
#include "platform/sqlite_wrapper.h"

namespace quidora::platform::detail {

// A record's place in a date order: `group` as a second sort order's value (kValueAbsent,
// kValueUndecodable), `date` its date number (0 for an undecodable record).
struct DatePlace {
  std::int64_t group = 0;
  std::uint32_t date = 0;
  friend bool operator==(const DatePlace&, const DatePlace&) = default;
};

DatePlace DatePlaceOf(const DateOrder& order, bool decoded, std::span<const PropValue> props);

// What a place carries: the last value of each carried property (UI4 identifiers), nothing for
// an undecodable record. DecodeCarried gives back the carried properties the record holds, in
// the order's order; false for bytes EncodeCarried cannot have made.
void EncodeCarried(const DateOrder& order, bool decoded, std::span<const PropValue> props,
                   std::vector<std::uint8_t>& out);
bool DecodeCarried(const DateOrder& order, std::span<const std::uint8_t> bytes, Record& out);

// The carried identifiers as date_orders.carried stores them, and back.
std::vector<std::uint8_t> PropIdBytes(std::span<const PropId> ids);
std::vector<PropId> PropIdsFromBytes(std::span<const std::uint8_t> bytes);

// Reads through the date order of `database` on `db` (see ObjectStore::ReadDateRange). On
// Failed, `rc` holds the SQLite result code of the failure (SQLITE_CORRUPT for a place without
// its record).
RangeRead ReadDated(const sql::Connection& db, std::int64_t database, const DateRange& range,
                    const TakeDated& take, int& rc);

}  // namespace quidora::platform::detail
