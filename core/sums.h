// Balances and totals over the money list, in exact integer arithmetic.
//
// Every running sum (one per account or category, starting at 0) is tested before each
// record it takes in: when sum - amount would fall below -2147483648 or sum + amount would
// rise above 2147483647, both limits tested whatever the record's type, the overflow message
// (BalanceOverflow) is shown through `messages` and the computation stops. Income (type 0)
// adds, anything else subtracts. Date ranges are date numbers and include both ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/message_service.h"
#include "core/record_list.h"

namespace quidora {

// For each account, in list order: the sum of its money records within the range goes into
// its `balance`, and into `total`. False at once (nothing changed, no message) when either
// list is empty; false after the message on overflow, with the balances of the accounts
// before the overflowing one stored and `total` untouched. The money list holds the records
// of all accounts.
bool AccountBalances(const MoneyList& moneyList, AccountList& accountList,
                     std::uint32_t startDateNumber, std::uint32_t endDateNumber,
                     std::int64_t& total, MessageService& messages);

// AccountBalances over records handed over one account at a time (each account's records
// together, in any order), as a read through the date order hands a range: the same balances,
// total, result and messages as AccountBalances over the same records in key order, without a
// list of them. Each record comes with its place in key order (sort key, then identifier). An
// account's records are put back in that order only when their amounts add up to more than a
// sum may hold, the one case where the order can change what the limit test finds.
class RangeBalances {
 public:
  explicit RangeBalances(AccountList& accounts);
  ~RangeBalances();
  RangeBalances(const RangeBalances&) = delete;
  RangeBalances& operator=(const RangeBalances&) = delete;

  // A record of the range; `accountKey` kNoKey for one without an account.
  void Take(std::uint32_t accountKey, std::int64_t sortKey, std::uint32_t oid,
            std::int32_t amount, std::uint32_t type);
  // Whether the store holds any record a full load would list: the full list then is not
  // empty, and a range without records sums to zero balances rather than to nothing.
  void SetAnyRecordStored(bool any) { anyStored_ = any; }
  // As AccountBalances: false when there is no record at all or no account (no message), or
  // after the overflow message.
  bool Finish(std::int64_t& total, MessageService& messages);

 private:
  struct Placed {
    std::int64_t sortKey;
    std::uint32_t oid;
    std::int32_t amount;
    std::uint32_t type;
  };
  void EndAccount();

  class Sums;
  AccountList& accounts_;
  std::unique_ptr<Sums> sums_;
  std::uint64_t taken_ = 0;
  bool anyStored_ = false;
  std::uint32_t accountKey_ = 0;
  std::uint64_t magnitude_ = 0;
  std::vector<Placed> placed_;
};

// For each category, in list order: the sum of the money records within the range whose
// category equals its name exactly goes into its `total`. False at once when either list is
// empty; false after the message on overflow (totals of the categories before stay); false
// when no money record was counted for any category; true otherwise.
bool CategoryTotals(const MoneyList& moneyList, CategoryList& categoryList,
                    std::uint32_t startDateNumber, std::uint32_t endDateNumber,
                    MessageService& messages);

// The balance of `currentAccount` over all dates into `balanceRecord`: its type becomes 1
// for a negative balance and 0 otherwise, its amount the magnitude, its texts rebuilt. Every
// record of the list is tested against the running sum, also records of other accounts. On
// overflow (after the message) and for an empty list the balance record becomes type 0,
// amount 0, texts "0.00" / "0,00". A balance of exactly -2147483648 gets the texts of its
// magnitude ("21,474,836.48") and, as the field cannot hold that, amount 2147483647.
// Always true.
bool CurrentAccountBalance(const MoneyList& moneyList, const AccountRecord& currentAccount,
                           MoneyRecord& balanceRecord, MessageService& messages);

}  // namespace quidora
