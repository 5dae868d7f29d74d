#include "store/range_balances.h"

#include <optional>

#include "core/sums.h"
#include "store/database_layout.h"
#include "store/dated_money.h"
#include "store/loading.h"
#include "store/store_messages.h"

namespace quidora {

bool SumBalancesInRange(Databases& store, AccountList& accounts, std::uint32_t start,
                        std::uint32_t end, std::int64_t& total, MessageService& ui) {
  if (!store.VolumeIsOpen()) {
    ShowDatabaseProblem(ui);
    return false;
  }
  RangeBalances balances(accounts);
  platform::Record scratch;
  std::uint64_t undecodable = 0;
  const platform::RangeRead status = store.Volume().ReadDateRange(
      store::kMoneyDatabaseName, AmountsInRange(start, end),
      [&](const platform::DatedRecord& dated) {
        if (!TakeDatedAmount(dated, balances, scratch)) ++undecodable;
        return true;
      });
  switch (status) {
    case platform::RangeRead::NoOrder: {
      MoneyList all;
      LoadAllMoneyRecords(store, all, ui);
      return AccountBalances(all, accounts, start, end, total, ui);
    }
    case platform::RangeRead::NoDatabase:
      if (!store.ReadOnly()) ShowDatabaseProblem(ui);
      return false;
    case platform::RangeRead::Failed:
      ShowDatabaseProblem(ui);
      return balances.Finish(total, ui);
    case platform::RangeRead::Read:
      break;
  }
  if (undecodable != 0) ShowDatabaseProblem(ui);
  // Every record that cannot be decoded was met (they stand after every range): any other
  // record is one a full load would have listed.
  DatabaseSlot& money = store.Money();
  const std::optional<std::uint32_t> count =
      store.EnsureOpen(money) ? money.handle.RecordCount() : std::nullopt;
  balances.SetAnyRecordStored(count && *count > undecodable);
  return balances.Finish(total, ui);
}

}  // namespace quidora
