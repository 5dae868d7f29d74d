#include "store/range_loading.h"

#include "store/database_layout.h"
#include "store/dated_money.h"
#include "store/loading.h"
#include "store/store_messages.h"

namespace quidora {

bool LoadMoneyAmountsInRange(Databases& store, MoneyList& moneyList, std::uint32_t start,
                             std::uint32_t end, MessageService& ui) {
  if (!store.VolumeIsOpen()) {
    ShowDatabaseProblem(ui);
    return false;
  }
  platform::DateRange range;
  range.first = start;
  range.last = end;
  range.whole = false;
  MoneyList read;
  // Room for every record, as a full load makes it: growing step by step would move every
  // record and touch twice the memory (the room left over is only address space).
  if (const std::optional<std::uint32_t> count =
          store.Money().handle.IsOpen() ? store.Money().handle.RecordCount() : std::nullopt) {
    read.Reserve(*count);
  }
  platform::Record scratch;
  bool problem = false;
  const platform::RangeRead status = store.Volume().ReadDateRange(
      store::kMoneyDatabaseName, range, [&](const platform::DatedRecord& dated) {
        MoneyRecord work;
        work.Reset();
        if (!FillMoneyRecordFromPlace(dated, scratch, work)) {
          problem = true;
          return true;
        }
        read.Append(std::move(work));
        return true;
      });
  switch (status) {
    case platform::RangeRead::NoOrder:
      return LoadAllMoneyRecords(store, moneyList, ui);
    case platform::RangeRead::NoDatabase:
      moneyList = MoneyList();
      if (!store.ReadOnly()) ShowDatabaseProblem(ui);
      return false;
    case platform::RangeRead::Failed:
      ShowDatabaseProblem(ui);
      moneyList = std::move(read);  // what was read so far, as a full load leaves it
      return false;
    case platform::RangeRead::Read:
      break;
  }
  if (problem) ShowDatabaseProblem(ui);
  moneyList = std::move(read);
  return !moneyList.empty();
}

}  // namespace quidora
