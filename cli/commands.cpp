#include "cli/commands.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>
#include <optional>

#include "core/sorts.h"
#include "core/sums.h"
#include "platform/utf8.h"
#include "resources/strings/string_table.h"

namespace quidora::cli {

namespace {

Outcome Refused(std::string error) {
  return Outcome{kExitRefused, std::move(error)};
}

std::string Utf8(std::u16string_view text) {
  return platform::Utf16ToUtf8Lenient(text);
}

MoneySelection Range(const Request& request) {
  MoneySelection selection;
  selection.startDateNumber = request.from.value_or(0);
  selection.endDateNumber = request.to.value_or(std::numeric_limits<std::uint32_t>::max());
  return selection;
}

void DescribeRange(const Request& request, Report& report) {
  const auto date = [](std::optional<std::uint32_t> number) -> std::optional<Value> {
    if (!number) return std::nullopt;
    return Value(std::int64_t{*number});
  };
  report.about.emplace_back("from", date(request.from));
  report.about.emplace_back("to", date(request.to));
}

// The device's name sorts refuse a list holding a record without a name (only damage makes
// one); a report from a terminal still shows every other row, with the nameless ones first.
template <typename List>
bool SortByNameForReport(List& list, bool (*deviceSort)(List&, std::uint32_t, MessageService&),
                         MessageService& messages) {
  const bool allNamed =
      std::all_of(list.begin(), list.end(), [](const auto& record) { return record.HasName(); });
  if (allNamed) return deviceSort(list, kAscending, messages);
  std::vector<std::size_t> order(list.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return CompareNamesIgnoringCase(list[a].Name(), list[b].Name()) < 0;
  });
  return list.Reorder(order);
}

}  // namespace

MessageAnswer CollectedMessages::Show(std::u16string_view text, MessageIcon, MessageButtons) {
  if (!shown.empty()) shown += '\n';
  shown += platform::Utf16ToUtf8Lenient(text);
  return MessageAnswer::Ok;
}

Outcome FindAccount(StoreReader& store, const Request& request, AccountList& accounts,
                    const AccountRecord*& found) {
  if (!store.ReadAccounts(accounts)) return StoreFailure(store.LastError());
  const std::optional<std::u16string> name = platform::Utf8ToUtf16(request.account);
  found = name ? accounts.FindByName(*name) : nullptr;
  if (found == nullptr) return Refused("there is no account \"" + request.account + "\"");
  return {};
}

Outcome StoreFailure(platform::StoreError error) {
  if (error == platform::StoreError::Corrupt) {
    return Outcome{kExitStore, "the store is damaged; it was left as it is"};
  }
  return Outcome{kExitStore, "the store cannot be read"};
}

Outcome AccountsReport(StoreReader& store, const Request& request, Report& report) {
  AccountList accounts;
  if (!store.ReadAccounts(accounts)) return StoreFailure(store.LastError());
  CollectedMessages messages;
  std::int64_t total = 0;
  // Balances need no texts: the range's amounts come from the date order alone, summed as
  // they come.
  const std::optional<bool> summed =
      store.SumBalances(accounts, request.from.value_or(0),
                        request.to.value_or(std::numeric_limits<std::uint32_t>::max()), total,
                        messages);
  if (!summed) return StoreFailure(store.LastError());
  if (!*summed) {
    if (!messages.shown.empty()) return Refused(messages.shown);
    // No record in the range at all: every balance is zero.
    for (AccountRecord& account : accounts) account.balance = 0;
    total = 0;
  }
  // The balance report keeps the total in a 32-bit amount like every other; a total beyond it
  // would be shown wrong, so it is refused as the sums refuse a balance beyond it.
  if (total < std::numeric_limits<std::int32_t>::min() ||
      total > std::numeric_limits<std::int32_t>::max()) {
    return Refused(Utf8(LoadString(StringId::BalanceOverflow)));
  }
  if (!SortByNameForReport(accounts, SortBalanceByName, messages)) {
    return Refused(messages.shown);
  }

  report.listName = "accounts";
  DescribeRange(request, report);
  report.columns = {{"account", "Account", ColumnKind::Text},
                    {"balance", "Balance", ColumnKind::Cents}};
  for (const AccountRecord& account : accounts) {
    report.rows.push_back({Utf8(account.Name()), std::int64_t{account.balance}});
  }
  report.total = total;
  return {};
}

Outcome CategoriesReport(StoreReader& store, const Request& request, Report& report) {
  AccountList accounts;
  const AccountRecord* account = nullptr;
  if (Outcome found = FindAccount(store, request, accounts, account); found.status != kExitDone) {
    return found;
  }
  CategoryList categories;
  MoneySelection selection = Range(request);
  selection.accountKey = account->key;
  MoneyList money;
  if (!store.ReadCategories(categories) || !store.ReadMoneyRecords(money, selection)) {
    return StoreFailure(store.LastError());
  }
  CollectedMessages messages;
  const bool counted = CategoryTotals(money, categories, selection.startDateNumber,
                                      selection.endDateNumber, messages);
  if (!messages.shown.empty()) return Refused(messages.shown);
  if (!SortByNameForReport(categories, SortCategoriesByName, messages)) {
    return Refused(messages.shown);
  }

  report.listName = "categories";
  report.about.emplace_back("account", Value(request.account));
  DescribeRange(request, report);
  report.columns = {{"category", "Category", ColumnKind::Text},
                    {"total", "Total", ColumnKind::Cents}};
  if (!counted) return {};
  for (const CategoryRecord& category : categories) {
    if (category.total == 0) continue;
    report.rows.push_back({Utf8(category.Name()), std::int64_t{category.total}});
  }
  return {};
}

Outcome RecordsReport(StoreReader& store, const Request& request, Report& report) {
  AccountList accounts;
  const AccountRecord* account = nullptr;
  if (Outcome found = FindAccount(store, request, accounts, account); found.status != kExitDone) {
    return found;
  }
  MoneySelection selection = Range(request);
  selection.accountKey = account->key;
  report.listName = "records";
  report.about.emplace_back("account", Value(request.account));
  DescribeRange(request, report);
  report.columns = {{"date", "Date", ColumnKind::Date},
                    {"category", "Category", ColumnKind::Text},
                    {"amount", "Amount", ColumnKind::Cents},
                    {"memo", "Memo", ColumnKind::Text}};
  // The records are kept small as they are read (numbers, and their texts in one block), sorted
  // by date, and only then made into rows: rows made in the order read and written out in
  // date order cost a cache miss each, and a list of whole records more than reading them.
  struct Kept {
    std::uint32_t date;
    std::int64_t amount;  // expenses negative
    std::size_t textsAt;
    std::size_t categorySize;
    std::size_t memoSize;
  };
  std::vector<Kept> kept;
  std::string texts;
  const bool read = store.VisitMoneyRecords(selection, [&](MoneyRecord&& record) {
    Kept entry{record.DateNumber(),
               record.type == kIncome ? record.amount : -std::int64_t{record.amount},
               texts.size(), 0, 0};
    platform::AppendUtf8Lenient(record.Category(), texts);
    entry.categorySize = texts.size() - entry.textsAt;
    platform::AppendUtf8Lenient(record.Memo(), texts);
    entry.memoSize = texts.size() - entry.textsAt - entry.categorySize;
    kept.push_back(entry);
  });
  if (!read) return StoreFailure(store.LastError());
  // Oldest first; a day's records in the order they came (key order), as the device program's
  // date sort leaves them.
  std::stable_sort(kept.begin(), kept.end(),
                   [](const Kept& a, const Kept& b) { return a.date < b.date; });
  report.rows.reserve(kept.size());
  const std::string_view all(texts);
  for (const Kept& entry : kept) {
    report.rows.push_back({std::int64_t{entry.date},
                           std::string(all.substr(entry.textsAt, entry.categorySize)),
                           entry.amount,
                           std::string(all.substr(entry.textsAt + entry.categorySize,
                                                  entry.memoSize))});
  }
  return {};
}

}  // namespace quidora::cli
