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
                     platform::Record& scratch, MoneyRecord& work) {
  work.Reset();
  if (!FillMoneyRecordFromPlace(dated, scratch, work)) return false;
  balances.Take(work.accountKey, dated.sortKey, dated.oid, work.amount, work.type);
  return true;
}

}  // namespace quidora
