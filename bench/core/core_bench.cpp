// The in-memory hot paths at a million money records, each beside a plain baseline measured
// in the same run: scripts/bench.sh turns them into ratios and checks the bounds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/message_service.h"
#include "core/record_list.h"
#include "core/sorts.h"
#include "core/sums.h"

namespace quidora {
namespace {

constexpr std::size_t kRecords = 1'000'000;
constexpr std::uint32_t kAccounts = 15;
constexpr std::size_t kMemoLength = 30;  // the longest memo the budget covers

const std::array<std::u16string_view, 30> kCategories = {
    u"Food",      u"Car",         u"Bills",    u"Rent",      u"Salary",   u"Clothes",
    u"Books",     u"Travel",      u"Health",   u"Gifts",     u"Phone",    u"Internet",
    u"Insurance", u"Taxes",       u"Garden",   u"Pets",      u"Sport",    u"Music",
    u"Cinema",    u"Restaurants", u"Fuel",     u"Repairs",   u"Children", u"School",
    u"Charity",   u"Savings",     u"Interest", u"Transport", u"Hobby",    u"Entertainment"};

// Silent: nothing in these runs overflows or fails.
class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view, MessageIcon, MessageButtons) override {
    return MessageAnswer::Ok;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
};

struct Source {
  std::uint32_t dateNumber;
  std::int32_t amount;
  std::uint32_t type;
  std::uint32_t accountKey;
  std::uint16_t category;
};

// Ten years of dates, amounts up to 100.00 (so that no balance overflows), half income.
std::vector<Source> MakeSources() {
  std::mt19937 random(2005);
  std::vector<Source> sources(kRecords);
  for (Source& s : sources) {
    const auto year = static_cast<std::uint32_t>(2000 + random() % 10);
    const auto month = static_cast<std::uint32_t>(1 + random() % 12);
    const auto day = static_cast<std::uint32_t>(1 + random() % 28);
    s.dateNumber = year * 10000 + month * 100 + day;
    s.amount = static_cast<std::int32_t>(1 + random() % 10000);
    s.type = random() % 2 == 0 ? kIncome : kExpense;
    s.accountKey = static_cast<std::uint32_t>(1 + random() % kAccounts);
    s.category = static_cast<std::uint16_t>(random() % kCategories.size());
  }
  return sources;
}

const std::vector<Source>& Sources() {
  static const std::vector<Source> sources = MakeSources();
  return sources;
}

SystemTime DateOf(std::uint32_t dateNumber) {
  SystemTime date;
  date.year = static_cast<std::uint16_t>(dateNumber / 10000);
  date.month = static_cast<std::uint16_t>(dateNumber / 100 % 100);
  date.day = static_cast<std::uint16_t>(dateNumber % 100);
  return date;
}

// As a loader fills the list: reserve, then one scratch record per stored record, moved in.
MoneyList BuildMoneyList() {
  std::u16string memo(kMemoLength, u'm');
  MoneyList list;
  list.Reserve(kRecords);
  std::uint32_t key = 0;
  for (const Source& s : Sources()) {
    MoneyRecord record;
    record.key = ++key;
    record.accountKey = s.accountKey;
    record.SetDate(DateOf(s.dateNumber));
    record.SetCategory(kCategories[s.category]);
    memo[0] = static_cast<char16_t>(u'a' + key % 26);
    record.SetMemo(memo);
    record.type = s.type;
    record.amount = s.amount;
    record.SetAmount(s.amount);
    list.Append(std::move(record));
  }
  return list;
}

const MoneyList& SharedMoneyList() {
  static const MoneyList list = BuildMoneyList();
  return list;
}

// Memory the process holds: resident pages (the list's own block is mapped directly and
// touched whole) plus what the heap hands out, which counts long texts kept outside records.
std::size_t ResidentBytes() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long size = 0;
  unsigned long resident = 0;
  const int read = std::fscanf(statm, "%lu %lu", &size, &resident);
  std::fclose(statm);
  return read == 2 ? resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

void BM_BuildMoneyRecords(benchmark::State& state) {
  Sources();
  double bytesPerRecord = 0;
  for (auto _ : state) {
    const std::size_t before = ResidentBytes();
    MoneyList list = BuildMoneyList();
    state.PauseTiming();
    const double grown = static_cast<double>(ResidentBytes() - before);
    bytesPerRecord = std::max(bytesPerRecord, grown / static_cast<double>(list.size()));
    list.Clear();
    state.ResumeTiming();
  }
  // The largest growth of any iteration: the first one takes every page fresh.
  state.counters["bytes_per_record"] = bytesPerRecord;
}
BENCHMARK(BM_BuildMoneyRecords)->Unit(benchmark::kMillisecond);

std::vector<std::size_t> Shuffled(std::size_t count) {
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::shuffle(order.begin(), order.end(), std::mt19937(29));
  return order;
}

void BM_SortMoneyByDate(benchmark::State& state) {
  MoneyList list = BuildMoneyList();
  const std::vector<std::size_t> shuffle = Shuffled(list.size());
  QuietMessages messages;
  for (auto _ : state) {
    state.PauseTiming();
    list.Reorder(shuffle);
    state.ResumeTiming();
    if (!SortMoneyByDate(list, kAscending, messages)) state.SkipWithError("sort failed");
  }
}
BENCHMARK(BM_SortMoneyByDate)->Unit(benchmark::kMillisecond);

// What a sort of bare keys costs: std::stable_sort of (date number, index) pairs.
void BM_StableSortBaseline(benchmark::State& state) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> unsorted(kRecords);
  const std::vector<std::size_t> shuffle = Shuffled(kRecords);
  for (std::size_t i = 0; i < kRecords; ++i) {
    unsorted[i] = {Sources()[shuffle[i]].dateNumber, static_cast<std::uint32_t>(i)};
  }
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  for (auto _ : state) {
    state.PauseTiming();
    pairs = unsorted;
    state.ResumeTiming();
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    benchmark::DoNotOptimize(pairs.data());
  }
}
BENCHMARK(BM_StableSortBaseline)->Unit(benchmark::kMillisecond);

// The floor for any sum: one pass adding or subtracting every amount of the same list.
void BM_PlainSumBaseline(benchmark::State& state) {
  const MoneyList& list = SharedMoneyList();
  for (auto _ : state) {
    std::int64_t sum = 0;
    // Written without a branch on the type, which is random here: the fastest plain loop.
    for (const MoneyRecord& r : list) {
      const std::int64_t negate = -static_cast<std::int64_t>(r.type != kIncome);  // 0 or -1
      sum += (r.amount ^ negate) - negate;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_PlainSumBaseline)->Unit(benchmark::kMillisecond);

void BM_AccountBalances(benchmark::State& state) {
  const MoneyList& money = SharedMoneyList();
  AccountList accounts;
  for (std::uint32_t key = 1; key <= kAccounts; ++key) {
    AccountRecord account;
    account.key = key;
    account.SetName(u"Account " + std::u16string(1, static_cast<char16_t>(u'A' + key)));
    accounts.Append(std::move(account));
  }
  QuietMessages messages;
  for (auto _ : state) {
    std::int64_t total = 0;
    if (!AccountBalances(money, accounts, 20020101, 20081231, total, messages)) {
      state.SkipWithError("balances failed");
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_AccountBalances)->Unit(benchmark::kMillisecond);

void BM_CategoryTotals(benchmark::State& state) {
  const MoneyList& money = SharedMoneyList();
  CategoryList categories;
  for (std::u16string_view name : kCategories) {
    CategoryRecord category;
    category.SetName(name);
    categories.Append(std::move(category));
  }
  QuietMessages messages;
  for (auto _ : state) {
    if (!CategoryTotals(money, categories, 20020101, 20081231, messages)) {
      state.SkipWithError("totals failed");
    }
    benchmark::DoNotOptimize(categories[0].total);
  }
}
BENCHMARK(BM_CategoryTotals)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quidora

BENCHMARK_MAIN();
