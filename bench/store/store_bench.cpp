// The storage hot paths on generated device homes, each beside what it is judged against:
// loading a million money records against a plain SQLite scan of the same records in the same
// run, one account's records, a durable add into an empty store and into a million records, an
// add whose clock key falls into a long run of taken keys, an account's records deleted in one
// transaction, a category rename applied to a thirtieth of a million records, one account's
// year deleted beside loading that account, and one account's month read through the date order
// (beside the transactions report of that month in reports_bench). scripts/bench.sh checks the
// bounds.
//
// Generated homes are kept in $QUIDORA_BENCH_DATA (default /tmp/quidora-bench-data) and
// reused by later runs.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device_home.h"
#include "platform/clock.h"
#include "platform/object_store.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_properties.h"
#include "store/record_writes.h"

namespace quidora::bench {
namespace {

namespace fs = std::filesystem;

class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view, MessageIcon, MessageButtons) override {
    ++shown;
    return MessageAnswer::Ok;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  int shown = 0;
};

// A copy of a home's volume that a benchmark may change.
fs::path WorkCopy(const GeneratedHome& home, const std::string& name) {
  const fs::path work = BenchDataFolder() / name;
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm"}) {
    fs::remove(work.string() + suffix, ignored);
    const fs::path from = home.objectStore.string() + suffix;
    if (fs::exists(from)) fs::copy_file(from, work.string() + suffix);
  }
  return work;
}

// The CSV output of Google Benchmark takes its columns from the first case and refuses a later
// case with a counter it has not seen, so every case sets every counter (0 where it does not
// apply).
void SetCounters(benchmark::State& state,
                 std::initializer_list<std::pair<const char*, double>> values) {
  for (const char* name : {"rss_growth_MB", "first_load_ms", "median_ms", "deleted", "records",
                           "wall_s", "commit_s"}) {
    state.counters[name] = 0;
  }
  for (const auto& [name, value] : values) state.counters[name] = value;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

struct OpenHome {
  explicit OpenHome(const fs::path& volume, const platform::Clock& clock) : store(volume, clock) {
    if (!OpenDatabases(store, categories, accounts, current, settings, ui)) {
      std::fprintf(stderr, "store_bench: cannot open %s\n", volume.c_str());
      std::exit(1);
    }
  }
  Databases store;
  QuietMessages ui;
  Settings settings;
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
};

const platform::FixedClock kClock(SystemTime{2026, 1, 0, 20, 0, 0, 0, 0});

void BM_LoadAllMoneyRecords(benchmark::State& state) {
  const auto records = static_cast<std::uint64_t>(state.range(0));
  OpenHome home(CachedDeviceHome(records).objectStore, kClock);
  // The first load of a run also pays for the memory it takes from the system; it is measured
  // on its own, with the resident memory it adds. The timed loads are the later ones (the
  // categories dialogs and the balance report load all records each time they run).
  malloc_trim(0);
  const double before = ResidentMegabytes();
  const auto start = std::chrono::steady_clock::now();
  auto first = std::make_unique<MoneyList>();
  if (!LoadAllMoneyRecords(home.store, *first, home.ui) || first->size() != records) {
    state.SkipWithError("load failed");
    return;
  }
  const double firstSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double growth = ResidentMegabytes() - before;
  first.reset();
  for (auto _ : state) {
    MoneyList list;
    if (!LoadAllMoneyRecords(home.store, list, home.ui) || list.size() != records) {
      state.SkipWithError("load failed");
      break;
    }
    state.PauseTiming();
    list = MoneyList();
    state.ResumeTiming();
  }
  SetCounters(state, {{"rss_growth_MB", growth},
                      {"first_load_ms", firstSeconds * 1000.0},
                      {"records", static_cast<double>(records)}});
}
BENCHMARK(BM_LoadAllMoneyRecords)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SqliteScanBaseline(benchmark::State& state) {
  const auto records = static_cast<std::uint64_t>(state.range(0));
  const fs::path volume = CachedDeviceHome(records).objectStore;
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    const auto scan = platform::ScanWithPlainSqlite(volume, store::kMoneyDatabaseName);
    if (!scan || scan->records != records) {
      state.SkipWithError("scan failed");
      break;
    }
    bytes = scan->bytes;
  }
  benchmark::DoNotOptimize(bytes);
  SetCounters(state, {{"records", static_cast<double>(records)}});
}
BENCHMARK(BM_SqliteScanBaseline)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Durable adds through AddMoneyRecord, each timed on its own; the median is the figure.
void TimeAdds(benchmark::State& state, const fs::path& volume, const platform::Clock& clock) {
  OpenHome home(volume, clock);
  MoneyRecord record;
  record.Reset();
  record.accountKey = home.accounts.empty() ? 0 : home.accounts[0].key;
  record.SetCategory(u"Food");
  record.SetMemo(u"Lunch");
  record.SetDate(SystemTime{2026, 1, 0, 20, 0, 0, 0, 0});
  record.amount = 1250;
  std::vector<double> seconds;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::uint32_t key = 0;
    const bool added = AddMoneyRecord(home.store, record, key, home.ui);
    const double elapsed = Since(start);
    if (!added) {
      state.SkipWithError("add failed");
      break;
    }
    state.SetIterationTime(elapsed);
    seconds.push_back(elapsed);
  }
  if (!seconds.empty()) {
    std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
    SetCounters(state, {{"median_ms", seconds[seconds.size() / 2] * 1000.0}});
  }
}

// Adds into an empty store (0) and into a million records whose keys run from 1000 without a
// gap. The clock starts on the 5th at 12:00:00, key 51200, inside that run, as about a quarter
// of the moments of a month are: the key handed out lies past the end of the run.
void BM_AddMoneyRecord(benchmark::State& state) {
  const fs::path volume =
      WorkCopy(CachedDeviceHome(static_cast<std::uint64_t>(state.range(0))), "work-add.db");
  SteppingClock clock(SystemTime{2026, 1, 0, 5, 12, 0, 0, 0});
  TimeAdds(state, volume, clock);
}
// A durable add costs about one sync, which on a virtual disk swings from run to run by more
// than the bound's margin: the medians are taken over enough adds to settle.
BENCHMARK(BM_AddMoneyRecord)
    ->Arg(0)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

// Adds into a million records whose keys were made from the clock as adds make them: about a
// quarter of the clock keys met are taken, in runs of up to some thousands.
void BM_AddAmongClockKeys(benchmark::State& state) {
  GenerateOptions options;
  options.records = static_cast<std::uint64_t>(state.range(0));
  options.clockKeys = true;
  const fs::path volume = WorkCopy(CachedDeviceHome(options), "work-add.db");
  SteppingClock clock(SystemTime{2026, 1, 0, 1, 10, 0, 0, 0});
  TimeAdds(state, volume, clock);
}
BENCHMARK(BM_AddAmongClockKeys)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

// The clock says the 1st at 00:00:00, key 1000, and the generated keys run from 1000 without a
// gap: every add has to find the end of a run of `records` taken keys (growing by one each time).
void BM_AddIntoTakenRun(benchmark::State& state) {
  const fs::path volume =
      WorkCopy(CachedDeviceHome(static_cast<std::uint64_t>(state.range(0))), "work-run.db");
  const platform::FixedClock clock(SystemTime{2026, 1, 0, 1, 0, 0, 0, 0});
  TimeAdds(state, volume, clock);
}
BENCHMARK(BM_AddIntoTakenRun)
    ->Arg(100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

// The records of the largest account of a million, as an account switch loads them.
void BM_LoadLargestAccount(benchmark::State& state) {
  const GeneratedHome& generated = CachedDeviceHome(static_cast<std::uint64_t>(state.range(0)));
  OpenHome home(generated.objectStore, kClock);
  MoneyList all;
  if (!LoadAllMoneyRecords(home.store, all, home.ui)) {
    state.SkipWithError("load failed");
    return;
  }
  std::map<std::uint32_t, std::size_t> perAccount;
  for (const MoneyRecord& record : all) ++perAccount[record.accountKey];
  all = MoneyList();
  const auto largest = std::max_element(perAccount.begin(), perAccount.end(),
                                        [](auto& a, auto& b) { return a.second < b.second; });
  AccountRecord account;
  account.Reset();
  account.key = largest->first;
  std::size_t loaded = 0;
  for (auto _ : state) {
    MoneyList list;
    if (!LoadAccountMoneyRecords(home.store, list, account, home.ui)) {
      state.SkipWithError("load failed");
      break;
    }
    loaded = list.size();
    state.PauseTiming();
    list = MoneyList();
    state.ResumeTiming();
  }
  if (loaded != largest->second) state.SkipWithError("not the account's records");
  SetCounters(state, {{"records", static_cast<double>(loaded)}});
}
BENCHMARK(BM_LoadLargestAccount)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DeleteAccountMoneyRecords(benchmark::State& state) {
  // 15 accounts of about 10,000 records each.
  const GeneratedHome& template_ = CachedDeviceHome(150'000);
  std::uint32_t deleted = 0;
  double wall = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto home = std::make_unique<OpenHome>(WorkCopy(template_, "work-delete.db"), kClock);
    const std::uint32_t before = *home->store.Money().handle.RecordCount();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    if (!DeleteAccountMoneyRecords(home->store, template_.accountKeys[0], home->ui)) {
      state.SkipWithError("deletion failed");
      break;
    }
    wall = std::max(wall, Since(start));
    state.PauseTiming();
    deleted = before - *home->store.Money().handle.RecordCount();
    home.reset();
    state.ResumeTiming();
  }
  SetCounters(state, {{"deleted", deleted}, {"wall_s", wall}});
}
BENCHMARK(BM_DeleteAccountMoneyRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RenameCategoryApplied(benchmark::State& state) {
  const auto records = static_cast<std::uint64_t>(state.range(0));
  OpenHome home(CachedDeviceHome(records).objectStore, kClock);
  MoneyList all;
  if (!LoadAllMoneyRecords(home.store, all, home.ui)) {
    state.SkipWithError("load failed");
    return;
  }
  // Earlier runs may have left the category renamed: take it back first.
  std::u16string from = u"Food";
  std::u16string to = u"Groceries";
  if (std::none_of(all.begin(), all.end(),
                   [&](const MoneyRecord& r) { return r.Category() == from; })) {
    std::swap(from, to);
  }
  std::int64_t renamed = 0;
  double wall = 0;
  double commit = 0;
  for (auto _ : state) {
    renamed = 0;
    const auto start = std::chrono::steady_clock::now();
    // What the categories dialog does with "Apply Rename and Delete to records" on.
    StoreBatch batch(home.store, StringId::EditError, store::kMoneyDatabaseName);
    for (MoneyRecord& record : all) {
      if (record.Category() != from) continue;
      record.SetCategory(to);
      if (UpdateMoneyRecord(home.store, record, home.ui)) ++renamed;
    }
    const auto committing = std::chrono::steady_clock::now();
    if (!batch.Commit(home.ui) || renamed == 0) {
      state.SkipWithError("rename failed");
      break;
    }
    commit = std::max(commit, Since(committing));
    wall = std::max(wall, Since(start));
    std::swap(from, to);
  }
  SetCounters(state,
              {{"records", static_cast<double>(renamed)}, {"wall_s", wall}, {"commit_s", commit}});
}
BENCHMARK(BM_RenameCategoryApplied)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The shown account's records, as the main window loads them when the account is chosen.
void BM_LoadAccountMoneyRecords(benchmark::State& state) {
  const GeneratedHome& generated = CachedDeviceHome(static_cast<std::uint64_t>(state.range(0)));
  OpenHome home(generated.objectStore, kClock);
  AccountRecord account;
  account.key = generated.accountKeys[0];
  std::size_t loaded = 0;
  for (auto _ : state) {
    MoneyList list;
    if (!LoadAccountMoneyRecords(home.store, list, account, home.ui)) {
      state.SkipWithError("load failed");
      break;
    }
    loaded = list.size();
    state.PauseTiming();
    list = MoneyList();
    state.ResumeTiming();
  }
  SetCounters(state, {{"records", static_cast<double>(loaded)}});
}
BENCHMARK(BM_LoadAccountMoneyRecords)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Delete by range over one account's records of one year, sync included: found through the date
// order and deleted, as when the user answers Yes.
void BM_DeleteAccountYear(benchmark::State& state) {
  const GeneratedHome& generated = CachedDeviceHome(static_cast<std::uint64_t>(state.range(0)));
  std::size_t deleted = 0;
  double wall = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto home = std::make_unique<OpenHome>(WorkCopy(generated, "work-range.db"), kClock);
    AccountRecord account;
    account.key = generated.accountKeys[0];
    MoneyList money;
    LoadAccountMoneyRecords(home->store, money, account, home->ui);
    const auto inYear = std::count_if(money.begin(), money.end(), [](const MoneyRecord& record) {
      return record.DateNumber() / 10000 == 2010;
    });
    const std::uint32_t before = *home->store.Money().handle.RecordCount();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    if (inYear == 0 ||
        !DeleteMoneyRecordsInRange(home->store, account.key, 20100101, 20101231, home->ui)) {
      state.SkipWithError("deletion failed");
      break;
    }
    wall = std::max(wall, Since(start));
    state.PauseTiming();
    deleted = before - *home->store.Money().handle.RecordCount();
    if (deleted != static_cast<std::size_t>(inYear)) state.SkipWithError("not every record of the range went");
    home.reset();
    state.ResumeTiming();
  }
  SetCounters(state, {{"deleted", static_cast<double>(deleted)}, {"wall_s", wall}});
}
BENCHMARK(BM_DeleteAccountYear)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);

// One month of the largest account of the reports' home, read through the date order with
// every record's whole properties and decoded into money records: what the transactions report
// of that month would cost if it read the store instead of the shown account's list
// (BM_TransactionsReportOneMonth sums the same month of the same account from that list).
void BM_ReadAccountMonthThroughDateOrder(benchmark::State& state) {
  GenerateOptions options;
  options.records = static_cast<std::uint64_t>(state.range(0));
  options.maxAmount = 40'000;
  OpenHome home(CachedDeviceHome(options).objectStore, kClock);
  MoneyList all;
  if (!LoadAllMoneyRecords(home.store, all, home.ui)) {
    state.SkipWithError("load failed");
    return;
  }
  std::map<std::uint32_t, std::size_t> perAccount;
  for (const MoneyRecord& record : all) ++perAccount[record.accountKey];
  all = MoneyList();
  const std::uint32_t largest =
      std::max_element(perAccount.begin(), perAccount.end(), [](auto& a, auto& b) {
        return a.second < b.second;
      })->first;
  platform::DateRange month;
  month.group = largest;
  month.first = 20240601;
  month.last = 20240630;
  month.whole = true;
  platform::Record scratch;
  std::size_t read = 0;
  for (auto _ : state) {
    MoneyList list;
    const platform::RangeRead status = home.store.Volume().ReadDateRange(
        store::kMoneyDatabaseName, month, [&](const platform::DatedRecord& dated) {
          if (dated.undecodable || !platform::DecodeRecord(dated.bytes, scratch)) return true;
          MoneyRecord work;
          work.Reset();
          FillMoneyRecord(scratch, work);
          list.Append(std::move(work));
          return true;
        });
    if (status != platform::RangeRead::Read || list.empty()) {
      state.SkipWithError("read failed");
      break;
    }
    read = list.size();
  }
  SetCounters(state, {{"records", static_cast<double>(read)}});
}
BENCHMARK(BM_ReadAccountMonthThroughDateOrder)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace
}  // namespace quidora::bench

BENCHMARK_MAIN();
