// Balances and totals over the money list, in exact integer arithmetic.
//
// Every running sum (one per account or category, starting at 0) is tested before each
// record it takes in: when sum - amount would fall below -2147483648 or sum + amount would
// rise above 2147483647, both limits tested whatever the record's type, the overflow message
// (BalanceOverflow) is shown through `messages` and the computation stops. Income (type 0)
// adds, anything else subtracts. Date ranges are date numbers and include both ends.
#pragma once

#include <cstdint>

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
