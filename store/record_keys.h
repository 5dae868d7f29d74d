// Keys of new money and account records.
//
// A key is made from the UTC clock: day, hour, minute and second written one after another
// without leading zeros ("%d%d%d%d") and read back as a number, so the 6th at 23:21:01 gives
// 623211 and the largest is 31235959. Such keys repeat (two additions in one second; the 1st
// at 12:03:04 and the 11th at 02:03:04 both give 11234), and a stored key that repeats makes
// later updates and deletes act on the wrong record. So a clock key that is already stored in
// the database moves on by one until it is free.
#pragma once

#include <cstdint>
#include <optional>

#include "core/date.h"
#include "platform/object_store.h"

namespace quidora {

std::uint32_t ClockKey(const SystemTime& utcNow);

// The first key from `start` upwards that `database` does not hold, going on from 0 after the
// largest key (never the no-key value); nothing when the database cannot be read.
std::optional<std::uint32_t> FirstFreeKey(platform::DatabaseHandle& database, std::uint32_t start);

}  // namespace quidora
