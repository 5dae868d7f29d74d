#include "core/sums.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "resources/strings/string_table.h"

namespace quidora {
namespace {

constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();

// One running sum. Once a step would have passed a limit the sum stops for good: the
// computation over its account or category ends there with the overflow message.
struct RunningSum {
  std::int64_t sum = 0;
  bool overflowed = false;
  bool counted = false;

  void Take(const MoneyRecord& record) {
    if (overflowed) return;
    const std::int64_t amount = record.amount;
    if (sum - amount < kLowest || sum + amount > kHighest) {
      overflowed = true;
      return;
    }
    sum += record.type == kIncome ? amount : -amount;
    counted = true;
  }
};

void ShowOverflow(MessageService& messages) {
  messages.Show(LoadString(StringId::BalanceOverflow), MessageIcon::Exclamation);
}

// Maps account keys to running sums. Accounts are few: a short array searched linearly, with
// the last hit tried first because records of one account tend to come together.
class SumsByAccount {
 public:
  explicit SumsByAccount(const AccountList& accounts) {
    for (const AccountRecord& account : accounts) {
      if (std::find(keys_.begin(), keys_.end(), account.key) == keys_.end()) {
        keys_.push_back(account.key);
      }
    }
    sums_.resize(keys_.size());
  }

  RunningSum* Find(std::uint32_t key) {
    if (last_ < keys_.size() && keys_[last_] == key) return &sums_[last_];
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      if (keys_[i] == key) {
        last_ = i;
        return &sums_[i];
      }
    }
    return nullptr;
  }

 private:
  std::vector<std::uint32_t> keys_;
  std::vector<RunningSum> sums_;
  std::size_t last_ = 0;
};

}  // namespace

bool AccountBalances(const MoneyList& moneyList, AccountList& accountList,
                     std::uint32_t startDateNumber, std::uint32_t endDateNumber,
                     std::int64_t& total, MessageService& messages) {
  if (moneyList.empty() || accountList.empty()) return false;
  // One pass over the money records keeps a sum per account; each account's sum sees its
  // records in list order, exactly as a pass per account would.
  SumsByAccount sums(accountList);
  for (const MoneyRecord& record : moneyList) {
    if (!IsInDateRange(record.DateNumber(), startDateNumber, endDateNumber)) continue;
    if (RunningSum* sum = sums.Find(record.accountKey)) sum->Take(record);
  }
  std::int64_t grandTotal = 0;
  for (AccountRecord& account : accountList) {
    const RunningSum& sum = *sums.Find(account.key);
    if (sum.overflowed) {
      ShowOverflow(messages);
      return false;
    }
    account.balance = static_cast<std::int32_t>(sum.sum);
    grandTotal += sum.sum;
  }
  total = grandTotal;
  return true;
}

bool CategoryTotals(const MoneyList& moneyList, CategoryList& categoryList,
                    std::uint32_t startDateNumber, std::uint32_t endDateNumber,
                    MessageService& messages) {
  if (moneyList.empty() || categoryList.empty()) return false;
  std::unordered_map<std::u16string_view, std::size_t> slotOfName;
  for (const CategoryRecord& category : categoryList) {
    if (category.HasName()) slotOfName.emplace(category.Name(), slotOfName.size());
  }
  std::vector<RunningSum> sums(slotOfName.size());
  for (const MoneyRecord& record : moneyList) {
    if (!IsInDateRange(record.DateNumber(), startDateNumber, endDateNumber)) continue;
    const auto found = slotOfName.find(record.Category());
    if (found != slotOfName.end()) sums[found->second].Take(record);
  }
  bool anyCounted = false;
  for (CategoryRecord& category : categoryList) {
    const auto found = category.HasName() ? slotOfName.find(category.Name()) : slotOfName.end();
    const RunningSum none;
    const RunningSum& sum = found != slotOfName.end() ? sums[found->second] : none;
    if (sum.overflowed) {
      ShowOverflow(messages);
      return false;
    }
    category.total = static_cast<std::int32_t>(sum.sum);
    anyCounted = anyCounted || sum.counted;
  }
  return anyCounted;
}

bool CurrentAccountBalance(const MoneyList& moneyList, const AccountRecord& currentAccount,
                           MoneyRecord& balanceRecord, MessageService& messages) {
  std::int64_t sum = 0;
  bool overflowed = false;
  for (const MoneyRecord& record : moneyList) {
    const std::int64_t amount = record.amount;
    // Tested for every record, whichever account it belongs to.
    if (sum - amount < kLowest || sum + amount > kHighest) {
      overflowed = true;
      break;
    }
    if (record.accountKey == currentAccount.key) sum += record.type == kIncome ? amount : -amount;
  }
  if (overflowed) ShowOverflow(messages);
  if (overflowed || moneyList.empty()) sum = 0;
  const std::int64_t magnitude = sum < 0 ? -sum : sum;
  balanceRecord.type = sum < 0 ? kExpense : kIncome;
  balanceRecord.amount = static_cast<std::int32_t>(std::min(magnitude, kHighest));
  balanceRecord.SetAmount(magnitude);
  return true;
}

}  // namespace quidora
