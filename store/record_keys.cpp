#include "store/record_keys.h"

#include <string>

#include "core/keys.h"

namespace quidora {

namespace {

void AppendDecimal(std::string& text, unsigned value) {
  text += std::to_string(value);
}

}  // namespace

std::uint32_t ClockKey(const SystemTime& utcNow) {
  std::string digits;
  AppendDecimal(digits, utcNow.day);
  AppendDecimal(digits, utcNow.hour);
  AppendDecimal(digits, utcNow.minute);
  AppendDecimal(digits, utcNow.second);
  // A clock that answers out-of-range fields could make more digits than 32 bits hold; keep
  // the number the text reads as, saturated, rather than let it wrap.
  std::uint64_t key = 0;
  for (char digit : digits) {
    key = key * 10 + static_cast<std::uint64_t>(digit - '0');
    if (key >= kNoKey) return kNoKey - 1;
  }
  return static_cast<std::uint32_t>(key);
}

std::optional<std::uint32_t> FirstFreeKey(platform::DatabaseHandle& database, std::uint32_t start) {
  // The object store knows the runs of taken keys: the answer costs the same whatever the
  // number of records and the length of the run the clock key falls into.
  return database.FirstFreeKey(start == kNoKey ? 0 : start, kNoKey - 1);
}

}  // namespace quidora
