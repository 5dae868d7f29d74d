#include "core/sums.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "resources/strings/string_table.h"

namespace quidora {
// Named rather than anonymous: RangeBalances (declared in the header) holds one of these.
namespace sums_internal {

constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();

// One running sum. Once a step would have passed a limit the sum stops for good: the
// computation over its account or category ends there with the overflow message.
struct RunningSum {
  std::int64_t sum = 0;
  bool overflowed = false;
  bool counted = false;

  void Take(const MoneyRecord& record) { Take(record.amount, record.type); }
  void Take(std::int64_t amount, std::uint32_t type) {
    if (overflowed) return;
    if (sum - amount < kLowest || sum + amount > kHighest) {
      overflowed = true;
      return;
    }
    sum += type == kIncome ? amount : -amount;
    counted = true;
  }
};

void ShowOverflow(MessageService& messages) {
  messages.Show(LoadString(StringId::BalanceOverflow), MessageIcon::Exclamation);
}

// Maps account keys to running sums: a small open-addressed table, one multiply and
// usually one probe per money record.
class SumsByAccount {
 public:
  explicit SumsByAccount(const AccountList& accounts) {
    std::size_t size = 32;
    while (size < accounts.size() * 4) size *= 2;
    table_.assign(size, Entry{0, kEmpty});
    for (const AccountRecord& account : accounts) {
      if (Find(account.key) != nullptr) continue;
      std::size_t at = Hash(account.key);
      while (table_[at].slot != kEmpty) at = (at + 1) & (table_.size() - 1);
      table_[at] = Entry{account.key, sums_.size()};
      sums_.emplace_back();
    }
  }

  RunningSum* Find(std::uint32_t key) {
    for (std::size_t at = Hash(key); table_[at].slot != kEmpty;
         at = (at + 1) & (table_.size() - 1)) {
      if (table_[at].key == key) return &sums_[table_[at].slot];
    }
    return nullptr;
  }

 private:
  static constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);
  struct Entry {
    std::uint32_t key;
    std::size_t slot;
  };

  std::size_t Hash(std::uint32_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 40) & (table_.size() - 1);
  }

  std::vector<Entry> table_;
  std::vector<RunningSum> sums_;
};

}  // namespace sums_internal

namespace {

using sums_internal::kHighest;
using sums_internal::kLowest;
using sums_internal::RunningSum;
using sums_internal::ShowOverflow;
using sums_internal::SumsByAccount;

// Maps category names to running sums: an open-addressed table of the few names, so that the
// lookup per money record is a short hash and one comparison.
class SumsByName {
 public:
  explicit SumsByName(const CategoryList& categories) {
    std::size_t size = 16;
    while (size < categories.size() * 4) size *= 2;
    table_.assign(size, kEmpty);
    for (const CategoryRecord& category : categories) {
      if (category.HasName() && Find(category.Name()) == nullptr) {
        std::size_t at = Hash(category.Name()) & (table_.size() - 1);
        while (table_[at] != kEmpty) at = (at + 1) & (table_.size() - 1);
        table_[at] = names_.size();
        names_.push_back(category.Name());
      }
    }
    sums_.resize(names_.size());
  }

  RunningSum* Find(std::u16string_view name) {
    std::size_t at = Hash(name) & (table_.size() - 1);
    while (table_[at] != kEmpty) {
      if (SameText(names_[table_[at]], name)) return &sums_[table_[at]];
      at = (at + 1) & (table_.size() - 1);
    }
    return nullptr;
  }

 private:
  static constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);

  // Equality by memcmp: the char16_t comparison of the library walks unit by unit.
  static bool SameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
  }

  // Length and three characters: enough to tell a few category names apart, and no loop.
  // Names that share them only probe a little further.
  static std::size_t Hash(std::u16string_view name) {
    if (name.empty()) return 0;
    const std::uint64_t mixed =
        name.size() * 0x9E3779B97F4A7C15ull ^ name.front() * 0xC2B2AE3D27D4EB4Full ^
        name.back() * 0x165667B19E3779F9ull ^ name[name.size() / 2] * 0x27D4EB2F165667C5ull;
    return static_cast<std::size_t>(mixed ^ (mixed >> 32));
  }

  std::vector<std::size_t> table_;
  std::vector<std::u16string_view> names_;  // views into the category list, which outlives us
  std::vector<RunningSum> sums_;
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

class RangeBalances::Sums : public sums_internal::SumsByAccount {
 public:
  using SumsByAccount::SumsByAccount;
};

RangeBalances::RangeBalances(AccountList& accounts)
    : accounts_(accounts), sums_(std::make_unique<Sums>(accounts)) {}

RangeBalances::~RangeBalances() = default;

void RangeBalances::Take(std::uint32_t accountKey, std::int64_t sortKey, std::uint32_t oid,
                         std::int32_t amount, std::uint32_t type) {
  if (taken_ != 0 && accountKey != accountKey_) EndAccount();
  accountKey_ = accountKey;
  ++taken_;
  magnitude_ += static_cast<std::uint64_t>(amount < 0 ? -std::int64_t{amount} : amount);
  placed_.push_back(Placed{sortKey, oid, amount, type});
}

void RangeBalances::EndAccount() {
  RunningSum* sum = sums_->Find(accountKey_);
  // Within the limit in total, no step of any order can pass it: the order need not be found.
  if (sum != nullptr && magnitude_ > static_cast<std::uint64_t>(kHighest)) {
    std::sort(placed_.begin(), placed_.end(), [](const Placed& a, const Placed& b) {
      return a.sortKey != b.sortKey ? a.sortKey < b.sortKey : a.oid < b.oid;
    });
  }
  if (sum != nullptr) {
    for (const Placed& record : placed_) sum->Take(record.amount, record.type);
  }
  placed_.clear();
  magnitude_ = 0;
}

bool RangeBalances::Finish(std::int64_t& total, MessageService& messages) {
  if ((taken_ == 0 && !anyStored_) || accounts_.empty()) return false;
  if (taken_ != 0) EndAccount();
  std::int64_t grandTotal = 0;
  for (AccountRecord& account : accounts_) {
    const RunningSum& sum = *sums_->Find(account.key);
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
  SumsByName sums(categoryList);
  for (const MoneyRecord& record : moneyList) {
    if (!IsInDateRange(record.DateNumber(), startDateNumber, endDateNumber)) continue;
    if (RunningSum* sum = sums.Find(record.Category())) sum->Take(record);
  }
  bool anyCounted = false;
  for (CategoryRecord& category : categoryList) {
    const RunningSum none;
    const RunningSum* sum = category.HasName() ? sums.Find(category.Name()) : &none;
    if (sum->overflowed) {
      ShowOverflow(messages);
      return false;
    }
    category.total = static_cast<std::int32_t>(sum->sum);
    anyCounted = anyCounted || sum->counted;
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
