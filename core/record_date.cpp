#include "core/record_date.h"

namespace quidora {

bool RecordDate::Set(const SystemTime& date) {
  // The calendar date is taken even when refused; only the number and texts stay behind.
  date_ = date;
  const std::optional<std::uint32_t> number = DateNumberOf(date);
  if (!number) return false;
  dateNumber_ = *number;
  return true;
}

}  // namespace quidora
