#include "reports/range_total.h"

#include <limits>

namespace quidora::reports {

std::optional<std::int64_t> RangeTotal(const MoneyList& money, std::uint32_t startDateNumber,
                                       std::uint32_t endDateNumber) {
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  std::int64_t sum = 0;
  for (const MoneyRecord& record : money) {
    const std::uint32_t day = record.DateNumber();
    if (day < startDateNumber || day > endDateNumber) continue;
    const std::int64_t amount = record.amount;
    if (sum - amount < kLowest || sum + amount > kHighest) return std::nullopt;
    sum += record.type == kIncome ? amount : -amount;
  }
  return sum;
}

bool FitsAmountField(std::int64_t cents) {
  return cents >= std::numeric_limits<std::int32_t>::min() &&
         cents <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace quidora::reports
