#include "store/store_reader.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "core/date.h"
#include "core/keys.h"
#include "core/sums.h"
#include "store/database_layout.h"
#include "store/dated_money.h"
#include "store/record_properties.h"

namespace quidora {

namespace {

using platform::VolumeReader;

}  // namespace

bool StoreReader::ReadCategories(CategoryList& categoryList) {
  platform::Record props;
  bool decoded = true;
  const VolumeReader::ReadStatus status = volume_.ReadDatabase(
      store::kCategoriesDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        if (!platform::DecodeRecord(bytes, props)) {
          decoded = false;
          return false;
        }
        for (const platform::PropValue& prop : props) {
          // A nameless category could not be shown, sorted or chosen.
          if (prop.id != store::category::kName || prop.text.empty()) continue;
          CategoryRecord category;
          category.SetName(prop.text);
          categoryList.Append(std::move(category));
        }
        return true;
      });
  return Finish(status, decoded);
}

bool StoreReader::ReadAccounts(AccountList& accountList) {
  platform::Record props;
  bool decoded = true;
  const VolumeReader::ReadStatus status =
      volume_.ReadDatabase(store::kAccountsDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        if (!platform::DecodeRecord(bytes, props)) {
          decoded = false;
          return false;
        }
        AccountRecord work;
        work.Reset();
        FillAccountRecord(props, work);
        accountList.Append(std::move(work));
        return true;
      });
  return Finish(status, decoded);
}

bool StoreReader::ReadMoneyRecords(MoneyList& moneyList, const MoneySelection& selection) {
  return VisitMoneyRecords(selection,
                           [&moneyList](MoneyRecord&& record) { moneyList.Append(std::move(record)); });
}

bool StoreReader::VisitMoneyRecords(const MoneySelection& selection, const TakeMoney& take) {
  const bool ranged = selection.startDateNumber != 0 ||
                      selection.endDateNumber != std::numeric_limits<std::uint32_t>::max();
  // An account without a key takes both the records without an account key and those whose
  // key reads as none, which the orders keep apart: only a full read finds them together.
  const bool keyless = selection.accountKey == kNoKey;
  std::optional<bool> read;
  if (!keyless && (ranged || selection.amountsOnly)) {
    read = ReadThroughDateOrder(selection, take);
  } else if (!keyless && selection.accountKey) {
    read = ReadThroughAccountOrder(*selection.accountKey, take);
  }
  if (read) return *read;
  return ReadWholeMoneyDatabase(selection, take);
}

std::optional<bool> StoreReader::SumBalances(AccountList& accounts, std::uint32_t start,
                                             std::uint32_t end, std::int64_t& total,
                                             MessageService& messages) {
  RangeBalances balances(accounts);
  platform::Record props;
  bool decoded = true;
  const platform::RangeRead status = volume_.ReadDateRange(
      store::kMoneyDatabaseName, AmountsInRange(start, end),
      [&](const platform::DatedRecord& dated) {
        decoded = TakeDatedAmount(dated, balances, props);
        return decoded;
      });
  if (status == platform::RangeRead::NoOrder) {
    MoneyList money;
    const MoneySelection selection{std::nullopt, start, end, true};
    if (!ReadWholeMoneyDatabase(selection, [&money](MoneyRecord&& record) {
          money.Append(std::move(record));
        })) {
      return std::nullopt;
    }
    return AccountBalances(money, accounts, start, end, total, messages);
  }
  const bool failed = status == platform::RangeRead::Failed;
  if (!Finish(failed ? VolumeReader::ReadStatus::Failed : VolumeReader::ReadStatus::Read,
              decoded)) {
    return std::nullopt;
  }
  return balances.Finish(total, messages);
}

std::optional<bool> StoreReader::ReadThroughDateOrder(const MoneySelection& selection,
                                                      const TakeMoney& take) {
  platform::DateRange range;
  range.group = selection.accountKey;
  range.first = selection.startDateNumber;
  range.last = selection.endDateNumber;
  range.whole = !selection.amountsOnly;
  platform::Record props;
  props.reserve(9);
  bool decoded = true;
  // The order hands a range by date; sums test their limits record by record, so the records
  // go on in the full walk's order (key order), each found by the place it was handed with.
  MoneyList read;
  std::vector<std::pair<std::int64_t, platform::Oid>> places;
  const platform::RangeRead status = volume_.ReadDateRange(
      store::kMoneyDatabaseName, range, [&](const platform::DatedRecord& dated) {
        MoneyRecord work;
        work.Reset();
        if (range.whole) {
          decoded = !dated.undecodable && platform::DecodeRecord(dated.bytes, props);
          if (decoded) FillMoneyRecord(props, work);
        } else {
          decoded = FillMoneyRecordFromPlace(dated, props, work);
        }
        if (!decoded) return false;
        read.Append(std::move(work));
        places.emplace_back(dated.sortKey, dated.oid);
        return true;
      });
  std::vector<std::size_t> order(places.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&places](std::size_t a, std::size_t b) { return places[a] < places[b]; });
  for (std::size_t at : order) take(std::move(read[at]));
  switch (status) {
    case platform::RangeRead::NoOrder:
      return std::nullopt;
    case platform::RangeRead::Failed:
      return Finish(VolumeReader::ReadStatus::Failed, decoded);
    case platform::RangeRead::Read:
    case platform::RangeRead::NoDatabase:
      break;
  }
  return Finish(VolumeReader::ReadStatus::Read, decoded);
}

std::optional<bool> StoreReader::ReadThroughAccountOrder(std::uint32_t accountKey,
                                                         const TakeMoney& take) {
  platform::Record props;
  props.reserve(9);
  bool decoded = true;
  const VolumeReader::ReadStatus status = volume_.ReadOneValue(
      store::kMoneyDatabaseName, store::money::kAccountKey, accountKey,
      [&](std::span<const std::uint8_t> bytes) {
        decoded = platform::DecodeRecord(bytes, props);
        if (!decoded) return false;
        MoneyRecord work;
        work.Reset();
        FillMoneyRecord(props, work);
        take(std::move(work));
        return true;
      });
  if (status == VolumeReader::ReadStatus::NoOrder) return std::nullopt;
  return Finish(status, decoded);
}

bool StoreReader::ReadWholeMoneyDatabase(const MoneySelection& selection, const TakeMoney& take) {
  platform::Record props;
  props.reserve(9);
  bool decoded = true;
  const VolumeReader::ReadStatus status =
      volume_.ReadDatabase(store::kMoneyDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        // Its place tells whether a record is selected: most records of a large store are
        // not, and decoding and building them would cost more than reading them.
        const std::optional<MoneyRecordPlace> place = PeekMoneyRecord(bytes);
        if (!place) {
          decoded = false;
          return false;
        }
        if ((selection.accountKey && place->accountKey != *selection.accountKey) ||
            !IsInDateRange(place->dateNumber, selection.startDateNumber, selection.endDateNumber)) {
          return true;
        }
        if (!platform::DecodeRecord(bytes, props)) {
          decoded = false;
          return false;
        }
        MoneyRecord work;
        work.Reset();
        FillMoneyRecord(props, work);
        take(std::move(work));
        return true;
      });
  return Finish(status, decoded);
}

bool StoreReader::Finish(platform::VolumeReader::ReadStatus status, bool decoded) {
  if (!decoded) {
    error_ = platform::StoreError::Corrupt;
    return false;
  }
  if (status == VolumeReader::ReadStatus::Failed) {
    error_ = volume_.LastError();
    return false;
  }
  error_ = platform::StoreError::None;
  return true;
}

}  // namespace quidora
