// Exporting a million money records in both encodings, beside what it is judged against:
// BM_WriteSameBytesDurable writes the same bytes, already formatted in memory, with the same
// syncs as the export (file and folder); BM_WriteSameBytesBaseline writes them through one
// buffered file without a sync. BM_FormatTransactions is the formatting alone, into memory.
// scripts/bench.sh checks the bounds.
//
// The records are every money record of the generated home of a million records
// ($QUIDORA_BENCH_DATA, made on first use), loaded into one money list as an account view holds
// its records; the writer does not look at account keys. Files go to a device home of their own
// beside it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "device_home.h"
#include "export/csv_files.h"
#include "export/export_writers.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/settings.h"

namespace quidora::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kRecords = 1'000'000;
const SystemTime kToday{2026, 1, 0, 20, 0, 0, 0, 0};

class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view, MessageIcon, MessageButtons) override {
    ++shown;
    return MessageAnswer::Yes;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  int shown = 0;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "export_bench: %s\n", what);
  std::exit(1);
}

// The money records of the generated home, loaded once for all cases.
const MoneyList& Records() {
  static const MoneyList list = [] {
    const platform::FixedClock clock(kToday);
    Databases store(CachedDeviceHome(kRecords).objectStore, clock);
    QuietMessages ui;
    Settings settings;
    CategoryList categories;
    AccountList accounts;
    AccountRecord current;
    MoneyList money;
    if (!OpenDatabases(store, categories, accounts, current, settings, ui) ||
        !LoadAllMoneyRecords(store, money, ui) || money.size() != kRecords) {
      Fail("cannot load the generated home");
    }
    return money;
  }();
  return list;
}

TransactionsFile File() {
  const MoneyList& money = Records();
  return {kToday, u"Generated account", {money.begin(), money.end()}};
}

// A device home for the exported files.
const platform::DeviceLocations& ExportHome() {
  static const platform::DeviceLocations locations = [] {
    const std::string home = (BenchDataFolder() / "export-home").string();
    const auto found = platform::ResolveDeviceLocations([&](const char* name) {
      return std::string(name) == "QUIDORA_HOME" ? home.c_str() : nullptr;
    });
    if (!found || !platform::PrepareDevice(*found)) Fail("cannot prepare the export home");
    return *found;
  }();
  return locations;
}

CsvOptions Options(const benchmark::State& state) {
  return {static_cast<std::uint32_t>(state.range(0)), 0, 0};
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every case sets every counter, as the CSV output of Google Benchmark needs.
void SetCounters(benchmark::State& state, double bytes, double slowestWall) {
  state.counters["records"] = static_cast<double>(kRecords);
  state.counters["MB"] = bytes / 1048576.0;
  state.counters["wall_s"] = slowestWall;
}

void BM_ExportTransactions(benchmark::State& state) {
  const TransactionsFile file = File();
  const platform::DeviceLocations& home = ExportHome();
  const fs::path written = home.business / "Million.csv";
  QuietMessages messages;
  const ExportRequest request{u"Million", kExportBusiness, Options(state)};
  double slowest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(written);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    if (ExportTransactions(request, file, {home, messages}) != ExportResult::Written) {
      state.SkipWithError("export failed");
      break;
    }
    slowest = std::max(slowest, Since(start));
  }
  SetCounters(state, static_cast<double>(fs::file_size(written)), slowest);
  fs::remove(written);
}
BENCHMARK(BM_ExportTransactions)
    ->ArgName("unicode")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_WriteSameBytesBaseline(benchmark::State& state) {
  const std::string bytes = TransactionsCsv(File(), Options(state));
  const fs::path written = ExportHome().business / "Baseline.csv";
  double slowest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(written);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::FILE* out = std::fopen(written.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
        std::fclose(out) != 0) {
      state.SkipWithError("write failed");
      break;
    }
    slowest = std::max(slowest, Since(start));
  }
  SetCounters(state, static_cast<double>(bytes.size()), slowest);
  fs::remove(written);
}
BENCHMARK(BM_WriteSameBytesBaseline)
    ->ArgName("unicode")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The same bytes written as durably as the export writes them: a new private file beside the
// target, synced, renamed into place, and the folder synced. The export is bounded against
// this, so that a machine with slow syncs does not read as a slow export.
void BM_WriteSameBytesDurable(benchmark::State& state) {
  const std::string bytes = TransactionsCsv(File(), Options(state));
  const fs::path folder = ExportHome().business;
  const fs::path temporary = folder / ".Durable.tmp";
  const fs::path written = folder / "Durable.csv";
  double slowest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(written);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool ok = fd >= 0;
    for (std::size_t at = 0; ok && at < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
      ok = n > 0;
      at += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (fd < 0 || ::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), written.c_str()) == 0;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = ok && dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0) ::close(dir);
    if (!ok) {
      state.SkipWithError("durable write failed");
      break;
    }
    slowest = std::max(slowest, Since(start));
  }
  SetCounters(state, static_cast<double>(bytes.size()), slowest);
  fs::remove(temporary);
  fs::remove(written);
}
BENCHMARK(BM_WriteSameBytesDurable)
    ->ArgName("unicode")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

class CountingSink final : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    total += bytes.size();
    benchmark::DoNotOptimize(bytes.data());
    return true;
  }
  std::size_t total = 0;
};

void BM_FormatTransactions(benchmark::State& state) {
  const TransactionsFile file = File();
  const CsvOptions options = Options(state);
  std::size_t bytes = 0;
  double slowest = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    CountingSink sink;
    WriteTransactionsCsv(file, options, sink);
    bytes = sink.total;
    slowest = std::max(slowest, Since(start));
  }
  SetCounters(state, static_cast<double>(bytes), slowest);
}
BENCHMARK(BM_FormatTransactions)
    ->ArgName("unicode")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace quidora::bench

BENCHMARK_MAIN();
