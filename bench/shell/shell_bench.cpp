// The device program's screen with a large store: start-up to the first painted account view,
// in this process and in a fresh one as the user starts the program, a switch to the largest
// account, delete by range of a year of it, a tap on the Date header of the shown account, and
// scrolling, which must cost the same for a long list as for a short one because only the
// visible rows are painted.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/message_service.h"
#include "device_home.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"
#include "program/program.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/start_up.h"

extern char** environ;

namespace quidora {
namespace {

namespace fs = std::filesystem;

class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view, MessageIcon, MessageButtons) override {
    ++shown;
    return answer;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  int shown = 0;
  MessageAnswer answer = MessageAnswer::No;
};

const platform::FixedClock kClock(SystemTime{2026, 3, 2, 15, 12, 0, 0, 0});

// Google Benchmark's CSV takes its columns from the first case: every case sets every counter.
void SetCounters(benchmark::State& state,
                 std::initializer_list<std::pair<const char*, double>> values) {
  for (const char* name : {"rows_shown", "paint_ms", "cpu_ms", "peak_MB", "deleted", "wall_s"}) {
    state.counters[name] = 0;
  }
  for (const auto& [name, value] : values) state.counters[name] = value;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// A copy of the generator's home of `records` records over `accounts` accounts that the program
// may write to, as it does at every start and at exit; one per process. Amounts up to 400.00
// keep the balance of the largest account of a million records (about 67,000 records) within
// range, so that no overflow message interrupts the start.
fs::path CopyOfHome(std::uint64_t records, std::uint32_t accounts, const std::string& prefix) {
  bench::GenerateOptions options;
  options.records = records;
  options.maxAmount = 40'000;
  options.accounts = accounts;
  const bench::GeneratedHome& generated = bench::CachedDeviceHome(options);
  // Named after the generated home, whose name tells its options apart.
  const fs::path work =
      bench::BenchDataFolder() / (prefix + generated.objectStore.parent_path().filename().string());
  std::error_code ignored;
  fs::remove_all(work, ignored);
  fs::create_directories(work);
  fs::permissions(work, fs::perms::owner_all, ignored);
  for (const char* suffix : {"", "-wal", "-shm"}) {
    const fs::path from = generated.objectStore.string() + suffix;
    if (fs::exists(from)) {
      fs::copy_file(from, work / (generated.objectStore.filename().string() + suffix));
    }
  }
  fs::copy_file(generated.registry, work / generated.registry.filename());
  return work;
}

fs::path HomeWith(std::uint64_t records,
                  std::uint32_t accounts = bench::GenerateOptions{}.accounts) {
  static std::map<std::pair<std::uint64_t, std::uint32_t>, fs::path> homes;
  if (auto found = homes.find({records, accounts}); found != homes.end()) return found->second;
  return homes
      .emplace(std::make_pair(records, accounts), CopyOfHome(records, accounts, "work-shell-"))
      .first->second;
}

std::unique_ptr<Session> StartOn(const fs::path& home, QuietMessages& messages) {
  const std::string folder = home.string();
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

// Paints the whole screen now, as the first frame on the display would.
void Paint(ui::DeviceScreen& screen) {
  benchmark::DoNotOptimize(screen.grab());
}

// Ends a run as the user's close does, through the exit sequence.
bool CloseThroughExit(std::unique_ptr<Session>& session) {
  session->Screen().close();
  for (int i = 0; i < 500 && session->Screen().isVisible(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  const bool closed = !session->Screen().isVisible();
  session.reset();
  QCoreApplication::processEvents();
  return closed;
}

// Start-up and first paint in this process; every run ends through the exit sequence, so each
// start follows a clean end, as an ordinary start does. One run before the timed ones.
void BM_StartUpToFirstPaint(benchmark::State& state) {
  const fs::path home = HomeWith(static_cast<std::uint64_t>(state.range(0)));
  QuietMessages messages;
  auto warmUp = StartOn(home, messages);
  if (warmUp == nullptr || !CloseThroughExit(warmUp)) {
    state.SkipWithError("start-up failed");
    return;
  }
  int rows = 0;
  for (auto _ : state) {
    auto session = StartOn(home, messages);
    if (session == nullptr) {
      state.SkipWithError("start-up failed");
      break;
    }
    Paint(session->Screen());
    rows = session->Window().List().RowCount();
    state.PauseTiming();
    const bool closed = CloseThroughExit(session);
    state.ResumeTiming();
    if (!closed) {
      state.SkipWithError("the exit sequence did not end the run");
      break;
    }
  }
  SetCounters(state, {{"rows_shown", rows}});
}
BENCHMARK(BM_StartUpToFirstPaint)
    ->Arg(15'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

struct ProbeRun {
  bool ok = false;
  double paintSeconds = 0;  // from the spawn to the painted line
  double cpuMs = 0;         // the probe's own CPU time at the paint
  double peakMB = 0;        // the probe's peak resident memory over its whole run
  int rows = 0;
};

// One start of the program in a fresh process (bench/shell/first_paint_probe.cpp).
ProbeRun RunProbe(const fs::path& home, const fs::path& runtimeDir) {
  ProbeRun run;
  int out[2];
  if (::pipe(out) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry = *e;
    if (entry.starts_with("QUIDORA_HOME=") || entry.starts_with("XDG_RUNTIME_DIR=") ||
        entry.starts_with("QT_QPA_PLATFORM=")) {
      continue;
    }
    env.emplace_back(entry);
  }
  env.push_back("QUIDORA_HOME=" + home.string());
  env.push_back("XDG_RUNTIME_DIR=" + runtimeDir.string());
  env.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = QUIDORA_FIRST_PAINT_PROBE;
  std::vector<char*> argv = {program.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(out[0]);
    return run;
  }
  std::string line;
  char c = 0;
  while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
  run.paintSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::string peakLine;
  while (::read(out[0], &c, 1) == 1 && c != '\n') peakLine += c;
  ::close(out[0]);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return run;
  int boxes = -1;
  long peakKilobytes = 0;
  if (std::sscanf(line.c_str(), "painted %d %d %lf", &run.rows, &boxes, &run.cpuMs) != 3 ||
      std::sscanf(peakLine.c_str(), "peak %ld", &peakKilobytes) != 1) {
    return run;
  }
  run.peakMB = static_cast<double>(peakKilobytes) / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && boxes == 0;
  return run;
}

// Start-up to the first paint as the user meets it: a new process, with the libraries and the
// volume's pages in the system's cache from the run before. One run before the timed ones.
// The figures are the medians of wall time and of the program's CPU time to the paint, and the
// largest peak memory of a whole run.
void TimeFreshStarts(benchmark::State& state, const fs::path& home) {
  QTemporaryDir runtime;
  const fs::path runtimeDir = runtime.path().toStdString();
  if (!RunProbe(home, runtimeDir).ok) {
    state.SkipWithError("the program did not start and end cleanly");
    return;
  }
  std::vector<double> paint;
  std::vector<double> cpu;
  double peak = 0;
  int rows = 0;
  for (auto _ : state) {
    const ProbeRun run = RunProbe(home, runtimeDir);
    if (!run.ok) {
      state.SkipWithError("the program did not start and end cleanly");
      break;
    }
    state.SetIterationTime(run.paintSeconds);
    paint.push_back(run.paintSeconds * 1000.0);
    cpu.push_back(run.cpuMs);
    peak = std::max(peak, run.peakMB);
    rows = run.rows;
  }
  SetCounters(state, {{"rows_shown", rows},
                      {"paint_ms", Median(paint)},
                      {"cpu_ms", Median(cpu)},
                      {"peak_MB", peak}});
}
void BM_StartUpFreshProcess(benchmark::State& state) {
  TimeFreshStarts(state, HomeWith(static_cast<std::uint64_t>(state.range(0))));
}
BENCHMARK(BM_StartUpFreshProcess)
    ->Arg(0)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

// The same start on a home whose records all belong to the account shown at start: as many as
// that account holds in the home of a million (1,000,000 / 15), but no other account's. Against
// the start on the million, it tells what the rest of the store costs the start: nothing, when
// the start costs the shown account only.
void BM_StartUpShownAccountOnly(benchmark::State& state) {
  TimeFreshStarts(state, HomeWith(static_cast<std::uint64_t>(state.range(0)), 1));
}
BENCHMARK(BM_StartUpShownAccountOnly)
    ->Arg(66'667)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

// Choosing the account with the most records in the chooser, as the user does: its records
// loaded, sorted and shown, the balance computed and the list repainted. Between the timed
// switches another account is chosen.
void BM_SwitchToLargestAccount(benchmark::State& state) {
  const fs::path home = HomeWith(static_cast<std::uint64_t>(state.range(0)));
  QuietMessages messages;
  auto session = StartOn(home, messages);
  if (session == nullptr) {
    state.SkipWithError("start-up failed");
    return;
  }
  AccountChooser& chooser = session->Window().View().Chooser();
  MoneyListView& list = session->Window().List();
  const auto choose = [&](int index) {
    chooser.setCurrentIndex(index);
    emit chooser.activated(index);
    benchmark::DoNotOptimize(list.viewport()->grab());
  };
  int largest = 0;
  int largestRows = -1;
  for (int i = 0; i < chooser.count(); ++i) {
    choose(i);
    if (list.RowCount() > largestRows) {
      largestRows = list.RowCount();
      largest = i;
    }
  }
  const int other = largest == 0 ? 1 : 0;
  for (auto _ : state) {
    state.PauseTiming();
    choose(other);
    state.ResumeTiming();
    choose(largest);
  }
  SetCounters(state, {{"rows_shown", list.RowCount()}});
  CloseThroughExit(session);
}
BENCHMARK(BM_SwitchToLargestAccount)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(10);

// Delete by range of one year (about 2,600 records) of the largest account, as the user runs
// it: the command, the two dates picked, Find Records, Yes, the deletion stored with its sync,
// the account read back, sorted and shown. Each run starts on a fresh copy of the home; the
// copy, the start and the choice of the account are not timed.
void BM_DeleteRangeOneYear(benchmark::State& state) {
  const auto records = static_cast<std::uint64_t>(state.range(0));
  const std::uint32_t accounts = bench::GenerateOptions{}.accounts;
  int largest = -1;
  int deleted = 0;
  double wall = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QuietMessages messages;
    messages.answer = MessageAnswer::Yes;
    auto session = StartOn(CopyOfHome(records, accounts, "work-range-"), messages);
    if (session == nullptr) {
      state.SkipWithError("start-up failed");
      break;
    }
    AccountChooser& chooser = session->Window().View().Chooser();
    MoneyListView& list = session->Window().List();
    const auto choose = [&](int index) {
      chooser.setCurrentIndex(index);
      emit chooser.activated(index);
    };
    if (largest < 0) {
      int largestRows = -1;
      for (int i = 0; i < chooser.count(); ++i) {
        choose(i);
        if (list.RowCount() > largestRows) {
          largestRows = list.RowCount();
          largest = i;
        }
      }
    }
    choose(largest);
    const int before = list.RowCount();
    const int shownBefore = messages.shown;
    QObject::connect(&session->Screen(), &ui::DeviceScreen::DialogOpened,
                     [](ui::FullScreenDialog* dialog) {
                       ui::FindControl<QDateEdit>(dialog, 1040)->setDate(QDate(2024, 1, 1));
                       ui::FindControl<QDateEdit>(dialog, 1041)->setDate(QDate(2024, 12, 31));
                       ui::FindControl<QAbstractButton>(dialog, 1042)->click();
                     });
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    session->Window().RunCommand(command::kDeleteByRange);
    wall = std::max(
        wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    state.PauseTiming();
    deleted = before - list.RowCount();
    // One box only: the question.
    if (deleted <= 0 || messages.shown != shownBefore + 1) {
      state.SkipWithError("nothing deleted, or a message besides the question");
    }
    CloseThroughExit(session);
    state.ResumeTiming();
  }
  SetCounters(state, {{"deleted", deleted}, {"wall_s", wall}});
}
BENCHMARK(BM_DeleteRangeOneYear)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DateHeaderTap(benchmark::State& state) {
  const fs::path home = HomeWith(static_cast<std::uint64_t>(state.range(0)));
  QuietMessages messages;
  auto session = StartOn(home, messages);
  if (session == nullptr) {
    state.SkipWithError("start-up failed");
    return;
  }
  MoneyListView& list = session->Window().List();
  Paint(session->Screen());
  for (auto _ : state) {
    emit list.HeaderTapped(0);
    benchmark::DoNotOptimize(list.viewport()->grab());
  }
  SetCounters(state, {{"rows_shown", list.RowCount()}});
  CloseThroughExit(session);
}
BENCHMARK(BM_DateHeaderTap)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(10);

// One page down and a repaint, over a shown account of the large home or of a small one.
void BM_ScrollOnePage(benchmark::State& state) {
  const fs::path home = HomeWith(static_cast<std::uint64_t>(state.range(0)));
  QuietMessages messages;
  auto session = StartOn(home, messages);
  if (session == nullptr) {
    state.SkipWithError("start-up failed");
    return;
  }
  MoneyListView& list = session->Window().List();
  QScrollBar& bar = *list.verticalScrollBar();
  Paint(session->Screen());
  int value = 0;
  for (auto _ : state) {
    value += bar.pageStep();
    if (value > bar.maximum()) value = 0;
    bar.setValue(value);
    benchmark::DoNotOptimize(list.viewport()->grab());
  }
  SetCounters(state, {{"rows_shown", list.RowCount()}});
  CloseThroughExit(session);
}
BENCHMARK(BM_ScrollOnePage)->Arg(15'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

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
