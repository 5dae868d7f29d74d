#include "store/dated_money.h"

#include "store/database_layout.h"
#include "store/record_properties.h"

namespace quidora {

platform::DateOrder MoneyDateOrder() {
  namespace m = store::money;
  return platform::DateOrder{m::kAccountKey, m::kYear, m::kMonth, m::kDay, {m::kAmount, m::kType}};
}

bool FillMoneyRecordFromPlace(const platform::DatedRecord& dated, platform::Record& scratch,
                              MoneyRecord& record) {
  namespace m = store::money;
  if (dated.undecodable || !platform::DecodeRecord(dated.bytes, scratch)) return false;
  if (dated.group) scratch.push_back(platform::PropValue::Ui4(m::kAccountKey, *dated.group));
  // A date the record refuses reads as date number 0, as a reset record has it.
  if (dated.date != 0) {
    scratch.push_back(platform::PropValue::Ui4(m::kYear, dated.date / 10000));
    scratch.push_back(platform::PropValue::Ui4(m::kMonth, dated.date / 100 % 100));
    scratch.push_back(platform::PropValue::Ui4(m::kDay, dated.date % 100));
  }
  FillMoneyRecord(scratch, record);
  return true;
}

platform::DateRange AmountsInRange(std::uint32_t start, std::uint32_t end) {
  platform::DateRange range;
  range.first = start;
  range.last = end;
  range.whole = false;
  return range;
}

bool TakeDatedAmount(const platform::DatedRecord& dated, RangeBalances& balances,
                     platform::Record& scratch) {
  namespace m = store::money;
  if (dated.undecodable || !platform::DecodeRecord(dated.bytes, scratch)) return false;
  // As FillMoneyRecord takes them from a reset record, without building the texts a sum never
  // shows: the last amount and type, the group as the account.
  std::int32_t amount = 0;
  std::uint32_t type = kExpense;
  for (const platform::PropValue& prop : scratch) {
    if (prop.id == m::kAmount) amount = static_cast<std::int32_t>(prop.number);
    if (prop.id == m::kType) type = prop.number;
  }
  balances.Take(dated.group.value_or(kNoKey), dated.sortKey, dated.oid, amount, type);
  return true;
}

}  // namespace quidora
