// Importing a million records of one account, beside what it is judged against:
// BM_GeneratorWrite is the generator writing the same number of records into a new home (one
// account, one transaction). BM_ImportOwnCsv imports the generated account exported to the
// transactions file into an empty account of a new home; BM_ImportMappedCsv does the same from a
// plain CSV of the same records with --columns; BM_ImportDuplicates imports the transactions
// file into the account that already holds every record (nothing is added, every record is
// looked up). scripts/bench.sh checks the bounds.
//
// Each import runs in a child process of its own, so that its peak memory can be told from the
// benchmark's: rss_growth_MB is the child's peak resident size less its size just before it
// read the file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "device_home.h"
#include "export/csv_files.h"
#include "import/import_write.h"
#include "import/plan_file.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "platform/utf8.h"
#include "platform/volume_reader.h"
#include "store/databases.h"
#include "store/store_reader.h"

namespace quidora::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kRecords = 1'000'000;
const SystemTime kToday{2026, 1, 0, 20, 0, 0, 0, 0};

class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view, MessageIcon, MessageButtons) override {
    return MessageAnswer::Yes;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "import_bench: %s\n", what.c_str());
  std::exit(1);
}

GenerateOptions OneAccount(std::uint64_t records) {
  GenerateOptions options;
  options.records = records;
  options.accounts = 1;
  return options;
}

// The generated account's records, in date order as the export writes them.
MoneyList GeneratedRecords(const GeneratedHome& home) {
  platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(home.objectStore);
  if (opened.reader == nullptr) Fail("cannot read the generated home");
  StoreReader reader(*opened.reader);
  MoneyList money;
  MoneySelection selection;
  selection.accountKey = home.accountKeys.front();
  if (!reader.ReadMoneyRecords(money, selection)) Fail("cannot read the generated records");
  return money;
}

struct Files {
  fs::path own;     // the transactions file, Windows-1252, date form 0
  fs::path mapped;  // date,amount,category,memo with ISO dates
};

const Files& ImportFiles() {
  static const Files files = [] {
    const GeneratedHome& home = CachedDeviceHome(OneAccount(kRecords));
    const fs::path folder = BenchDataFolder() / "import";
    fs::create_directories(folder);
    Files made{folder / "own-1000000.csv", folder / "mapped-1000000.csv"};
    if (fs::exists(made.own) && fs::exists(made.mapped)) return made;
    const MoneyList money = GeneratedRecords(home);
    {
      std::ofstream out(made.own, std::ios::binary);
      out << TransactionsCsv(TransactionsFile{kToday, u"Account 1", {money.begin(), money.end()}},
                             CsvOptions{kExportAscii, 0, 0});
    }
    std::ofstream out(made.mapped, std::ios::binary);
    out << "Date,Amount,Category,Memo\n";
    char line[160];
    for (const MoneyRecord& record : money) {
      const std::uint32_t date = record.DateNumber();
      std::snprintf(line, sizeof line, "%04u-%02u-%02u,%s%d.%02d,%s,\"%s\"\n", date / 10000,
                    date / 100 % 100, date % 100, record.type == kIncome ? "" : "-",
                    record.amount / 100, record.amount % 100,
                    platform::Utf16ToUtf8Lenient(record.Category()).c_str(),
                    platform::Utf16ToUtf8Lenient(record.Memo()).c_str());
      out << line;
    }
    return made;
  }();
  return files;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

long CurrentKiB() {
  std::ifstream status("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  status >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct ChildResult {
  double seconds = 0;
  double rssGrowthMiB = 0;
  std::uint64_t added = 0;
};

// Imports `file` in a child process: into a new account of a new home under `home`, or, when
// `intoGenerated`, into the generated account (a copy is not needed: every record is a duplicate
// and nothing is written).
ChildResult ImportInChild(const fs::path& file, const import::ParseOptions& parse,
                          const fs::path& home, bool intoGenerated) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) Fail("pipe");
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeEnds[0]);
    const platform::FixedClock clock(kToday);
    QuietMessages ui;
    const GeneratedHome& generated = CachedDeviceHome(OneAccount(kRecords));
    const fs::path volume = intoGenerated ? generated.objectStore : home / "objectstore.db";
    CategoryList categories;
    AccountList accounts;
    MoneyList existing;
    std::optional<std::uint32_t> accountKey;
    if (intoGenerated) {
      platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(volume);
      StoreReader reader(*opened.reader);
      reader.ReadCategories(categories);
      reader.ReadAccounts(accounts);
      accountKey = generated.accountKeys.front();
    }
    const long before = std::max(CurrentKiB(), 0L);
    const auto start = std::chrono::steady_clock::now();
    if (intoGenerated) {
      platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(volume);
      StoreReader reader(*opened.reader);
      MoneySelection selection;
      selection.accountKey = accountKey;
      reader.ReadMoneyRecords(existing, selection);
    }
    std::string bytes = ReadBytes(file);
    import::PlanRequest request{parse, std::u16string(u"Imported"), false};
    import::PlannedFile planned = import::PlanFile(file.string(), bytes, request, categories,
                                                   {existing.begin(), existing.end()});
    existing.Clear();
    bytes = std::string();
    if (!planned.plan.Usable()) Fail("the file has problems: " + planned.plan.problems.front().message);
    if (!planned.plan.records.empty()) {
      Databases store(volume, clock);
      if (!store.OpenVolume()) Fail("cannot open " + volume.string());
      if (!import::WriteImport(store, planned.plan,
                               import::ImportTarget{accountKey, u"Imported", kToday}, categories,
                               accounts, ui)) {
        Fail("the import was not stored");
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ChildResult result{seconds, static_cast<double>(PeakKiB() - before) / 1024.0,
                       planned.plan.records.size()};
    if (write(pipeEnds[1], &result, sizeof result) != sizeof result) _exit(1);
    _exit(0);
  }
  close(pipeEnds[1]);
  ChildResult result;
  const bool read = ::read(pipeEnds[0], &result, sizeof result) == sizeof result;
  close(pipeEnds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail("the import's child failed");
  return result;
}

fs::path FreshHome(const char* name) {
  const fs::path home = BenchDataFolder() / "import" / name;
  fs::remove_all(home);
  fs::create_directories(home);
  return home;
}

void BM_GeneratorWrite(benchmark::State& state) {
  for (auto _ : state) {
    const fs::path home = FreshHome("generated-now");
    GeneratedHome made;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    if (!GenerateDeviceHome(home, OneAccount(static_cast<std::uint64_t>(state.range(0))), made, error)) Fail(error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    state.counters["wall_s"] = seconds;
  }
}

void RunImport(benchmark::State& state, bool mapped, bool intoGenerated) {
  const Files& files = ImportFiles();
  import::ParseOptions parse;
  parse.today = kToday;
  if (mapped) {
    parse.csv.columns = "date,amount,category,memo";
    parse.csv.skip = 1;
  }
  for (auto _ : state) {
    const ChildResult result = ImportInChild(mapped ? files.mapped : files.own, parse,
                                             FreshHome("import-now"), intoGenerated);
    state.SetIterationTime(result.seconds);
    state.counters["wall_s"] = result.seconds;
    state.counters["rss_growth_MB"] = result.rssGrowthMiB;
    state.counters["added"] = static_cast<double>(result.added);
  }
}

void BM_ImportOwnCsv(benchmark::State& state) { RunImport(state, false, false); }
void BM_ImportMappedCsv(benchmark::State& state) { RunImport(state, true, false); }
void BM_ImportDuplicates(benchmark::State& state) { RunImport(state, false, true); }

BENCHMARK(BM_ImportOwnCsv)->Arg(kRecords)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportMappedCsv)->Arg(kRecords)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportDuplicates)->Arg(kRecords)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
// Last: the CSV of a run takes its columns from the first benchmark, which must name every
// counter that a later one sets.
BENCHMARK(BM_GeneratorWrite)->Arg(kRecords)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quidora::bench

BENCHMARK_MAIN();
