// The three databases read without changing them, for programs that run beside the device
// program. The lists come out as the device program's loaders fill them: categories and
// accounts in stored order (a category name already in the list is not added again), money
// records in key order, each record filled from its properties exactly as at start.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include "core/message_service.h"
#include "core/record_list.h"
#include "platform/volume_reader.h"

namespace quidora {

// Which money records to read: those of one account or of all, whose date number lies in the
// range (both ends included). The default takes every record, also one without a valid date.
struct MoneySelection {
  std::optional<std::uint32_t> accountKey;
  std::uint32_t startDateNumber = 0;
  std::uint32_t endDateNumber = std::numeric_limits<std::uint32_t>::max();
  // Only the account key, the date, the amount and the type are needed (for balances): the
  // records come without key, category or memo, at the cost of the range alone.
  bool amountsOnly = false;
};

class StoreReader {
 public:
  // `volume` must outlive this object.
  explicit StoreReader(platform::VolumeReader& volume) : volume_(volume) {}

  // Each appends to an empty list and returns true, also when its database does not exist
  // (a device that never stored any). False when a record cannot be read or its properties
  // cannot be decoded; LastError tells which (Corrupt for undecodable properties).
  bool ReadCategories(CategoryList& categoryList);
  bool ReadAccounts(AccountList& accountList);
  // Only the selected records are read and built: one account's through the order on the
  // account key, a range of dates through the date order (where the volume keeps them; an older
  // one is read whole). The list holds the records a full read would select, in key order as
  // the full read meets them.
  bool ReadMoneyRecords(MoneyList& moneyList, const MoneySelection& selection);
  // The same records in the same order, each handed over as it is read instead of kept: a
  // caller that turns them into something smaller never holds them all.
  using TakeMoney = std::function<void(MoneyRecord&&)>;
  bool VisitMoneyRecords(const MoneySelection& selection, const TakeMoney& take);
  // AccountBalances over the records of start..end that ReadMoneyRecords would list (every
  // account's, amounts only), with its result, balances, total and messages, summed as the
  // date order hands them over instead of listed. Nothing when a record cannot be read.
  std::optional<bool> SumBalances(AccountList& accounts, std::uint32_t start, std::uint32_t end,
                                  std::int64_t& total, MessageService& messages);

  platform::StoreError LastError() const { return error_; }

 private:
  bool Finish(platform::VolumeReader::ReadStatus status, bool decoded);
  // Each returns nothing when the volume keeps no order to read the selection through.
  std::optional<bool> ReadThroughDateOrder(const MoneySelection& selection, const TakeMoney& take);
  std::optional<bool> ReadThroughAccountOrder(std::uint32_t accountKey, const TakeMoney& take);
  bool ReadWholeMoneyDatabase(const MoneySelection& selection, const TakeMoney& take);

  platform::VolumeReader& volume_;
  platform::StoreError error_ = platform::StoreError::None;
};

}  // namespace quidora
