// The two reports as the user runs them over the generator's home: the accounts balance report
// for one year (every record loaded, summed, sorted and shown) and the transactions report of the
// shown account for one year, and of the largest account for one month, once the account view
// has loaded it.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "core/message_service.h"
#include "device_home.h"
#include "dialogs/report_list.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "platform/ui/control_id.h"
#include "platform/ui/text.h"
#include "program/program.h"
#include "reports/balance_report.h"
#include "reports/transactions_report.h"
#include "shell/account_view.h"
#include "shell/main_window.h"
#include "shell/start_up.h"

namespace quidora {
namespace {

namespace fs = std::filesystem;

class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon, MessageButtons) override {
    ++shown;
    last.assign(text.begin(), text.end());
    return MessageAnswer::No;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  int shown = 0;
  std::string last;  // the first characters tell an overflow from "nothing found"
};

// Why a report did not show, for the skip message.
std::string Refusal(const QuietMessages& messages) {
  return "no report shown: " + messages.last.substr(0, 40);
}

const platform::FixedClock kClock(SystemTime{2026, 3, 2, 15, 12, 0, 0, 0});
// The generator spreads its records evenly over 2000 to 2025.
const QDate kYearStart(2024, 1, 1);
const QDate kYearEnd(2024, 12, 31);
const QDate kMonthStart(2024, 6, 1);
const QDate kMonthEnd(2024, 6, 30);
// Every date the generator draws.
const QDate kAllStart(2000, 1, 1);
const QDate kAllEnd(2025, 12, 31);

std::unique_ptr<Session> StartOn(std::uint64_t records, QuietMessages& messages) {
  // Amounts small enough that a year of one account's, and of all accounts', sums stays within
  // the limit; with the generator's own range the reports refuse with the overflow message.
  bench::GenerateOptions home;
  home.records = records;
  home.maxAmount = 40'000;
  const std::string folder = bench::CachedDeviceHome(home).objectStore.parent_path().string();
  const auto locations =
      platform::ResolveDeviceLocations([&folder](const char* name) -> const char* {
        return std::string_view(name) == "QUIDORA_HOME" ? folder.c_str() : nullptr;
      });
  if (!locations) return nullptr;
  StartOptions options;
  options.locations = *locations;
  options.screenSize = {240, 320};
  options.messages = &messages;
  options.clock = &kClock;
  options.handleTerminationSignals = false;
  return InitProgram(options);
}

double PeakResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0.0;
}

// Both reports set the same counters: the CSV of one binary keeps one set of columns.
void SetReportCounters(benchmark::State& state, int shownAtStart, int rows,
                       const Program& program) {
  state.counters["start_messages"] = shownAtStart;
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
  state.counters["rows"] = rows;
  // The shown account's list: what the transactions report sums (the balance report reads the
  // store and leaves the list alone).
  state.counters["records"] = static_cast<double>(program.money.size());
}

// Picks the range (the year by default) and presses the report's button, as the user would.
void RunYear(QWidget& dialog, int startId, int endId, int buttonId, QDate start = kYearStart,
             QDate end = kYearEnd) {
  ui::FindControl<QDateEdit>(&dialog, startId)->setDate(start);
  ui::FindControl<QDateEdit>(&dialog, endId)->setDate(end);
  ui::FindControl<QAbstractButton>(&dialog, buttonId)->click();
}

void BM_BalanceReportOneYear(benchmark::State& state) {
  QuietMessages messages;
  auto session = StartOn(static_cast<std::uint64_t>(state.range(0)), messages);
  if (session == nullptr) {
    state.SkipWithError("start-up failed");
    return;
  }
  Program& program = session->GetProgram();
  reports::BalanceReport report(program, {});
  int rows = 0;
  // Start-up may have shown a message of its own (the shown account's balance of all years).
  const int shownAtStart = messages.shown;
  for (auto _ : state) {
    RunYear(report, 1152, 1154, 1155);
    if (!report.IsShown() || messages.shown != shownAtStart) {
      // Sums that pass the amount limit refuse the report: the home's amounts must be small
      // enough for a year of them to fit (the generator's largest amount).
      state.SkipWithError(Refusal(messages).c_str());
      break;
    }
    rows = report.List()->RowCount();
    state.PauseTiming();
    ui::FindControl<QAbstractButton>(&report, 1156)->click();  // Reset
    state.ResumeTiming();
  }
  SetReportCounters(state, shownAtStart, rows, program);
}
BENCHMARK(BM_BalanceReportOneYear)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every year: every record is read. The generated amounts are small enough for one year's sums
// only, so at a million records the report ends in the overflow refusal, after the same reading
// and summing that an answer costs.
void BM_BalanceReportAllYears(benchmark::State& state) {
  QuietMessages messages;
  auto session = StartOn(static_cast<std::uint64_t>(state.range(0)), messages);
  if (session == nullptr) {
    state.SkipWithError("start-up failed");
    return;
  }
  Program& program = session->GetProgram();
  reports::BalanceReport report(program, {});
  const int shownAtStart = messages.shown;
  for (auto _ : state) {
    RunYear(report, 1152, 1154, 1155, kAllStart, kAllEnd);
    state.PauseTiming();
    ui::FindControl<QAbstractButton>(&report, 1156)->click();  // Reset
    state.ResumeTiming();
  }
  SetReportCounters(state, shownAtStart, report.IsShown() ? report.List()->RowCount() : 0,
                    program);
}
BENCHMARK(BM_BalanceReportAllYears)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TransactionsReportOneYear(benchmark::State& state) {
  QuietMessages messages;
  auto session = StartOn(static_cast<std::uint64_t>(state.range(0)), messages);
  if (session == nullptr) {
    state.SkipWithError("start-up failed");
    return;
  }
  Program& program = session->GetProgram();
  reports::TransactionsReport report(program, {});
  // Opening the dialog checks "Specified"; the benchmark never opens it, so the user's tap does.
  ui::FindControl<QAbstractButton>(&report, 1073)->click();
  int rows = 0;
  const int shownAtStart = messages.shown;
  for (auto _ : state) {
    RunYear(report, 1069, 1071, 1075);
    if (report.List() == nullptr || messages.shown != shownAtStart) {
      state.SkipWithError(Refusal(messages).c_str());
      break;
    }
    rows = report.List()->RowCount();
    state.PauseTiming();
    ui::FindControl<QAbstractButton>(&report, 1077)->click();  // Reset
    state.ResumeTiming();
  }
  SetReportCounters(state, shownAtStart, rows, program);
}
BENCHMARK(BM_TransactionsReportOneYear)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Chooses the account with the most records (the first such by key) in the account chooser, as
// the user does, after choosing each in turn to count them; false when there is none.
bool ShowLargestAccount(Session& session) {
  Program& program = session.GetProgram();
  AccountChooser& chooser = session.Window().View().Chooser();
  const auto choose = [&](const AccountRecord& account) {
    const int index = chooser.findText(ui::ToQString(account.Name()));
    if (index < 0) return false;
    chooser.setCurrentIndex(index);
    emit chooser.activated(index);
    return program.currentAccount.key == account.key;
  };
  std::map<std::uint32_t, std::size_t> perAccount;
  std::map<std::uint32_t, const AccountRecord*> byKey;
  for (const AccountRecord& account : program.accounts) {
    if (!choose(account)) return false;
    perAccount[account.key] = program.money.size();
    byKey[account.key] = &account;
  }
  if (perAccount.empty()) return false;
  const std::uint32_t largest =
      std::max_element(perAccount.begin(), perAccount.end(), [](auto& a, auto& b) {
        return a.second < b.second;
      })->first;
  return choose(*byKey[largest]) && program.money.size() == perAccount[largest];
}

// One month of the largest account's records (about 220 of its 67,000), summed from the shown
// list; BM_ReadAccountMonthThroughDateOrder (store_bench) reads the same month from the store.
void BM_TransactionsReportOneMonth(benchmark::State& state) {
  QuietMessages messages;
  auto session = StartOn(static_cast<std::uint64_t>(state.range(0)), messages);
  if (session == nullptr || !ShowLargestAccount(*session)) {
    state.SkipWithError("start-up failed");
    return;
  }
  Program& program = session->GetProgram();
  reports::TransactionsReport report(program, {});
  ui::FindControl<QAbstractButton>(&report, 1073)->click();
  int rows = 0;
  const int shownAtStart = messages.shown;
  for (auto _ : state) {
    RunYear(report, 1069, 1071, 1075, kMonthStart, kMonthEnd);
    if (report.List() == nullptr || messages.shown != shownAtStart) {
      state.SkipWithError(Refusal(messages).c_str());
      break;
    }
    rows = report.List()->RowCount();
    state.PauseTiming();
    ui::FindControl<QAbstractButton>(&report, 1077)->click();  // Reset
    state.ResumeTiming();
  }
  SetReportCounters(state, shownAtStart, rows, program);
}
BENCHMARK(BM_TransactionsReportOneMonth)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quidora

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "1");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
