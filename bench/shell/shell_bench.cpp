// The device program's screen with a large store: start-up to the first painted account view,
// a tap on the Date header of the shown account, and scrolling, which must cost the same for a
// long list as for a short one because only the visible rows are painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/message_service.h"
#include "device_home.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "platform/ui/device_screen.h"
#include "shell/account_view.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/program.h"
#include "shell/start_up.h"

namespace quidora {
namespace {

namespace fs = std::filesystem;

class QuietMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view, MessageIcon, MessageButtons) override {
    ++shown;
    return MessageAnswer::No;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  int shown = 0;
};

const platform::FixedClock kClock(SystemTime{2026, 3, 2, 15, 12, 0, 0, 0});

// The generator's home of `records` records, shared with the storage benchmarks. The program
// only reads it here: no exit sequence runs.
fs::path HomeWith(std::uint64_t records) {
  return bench::CachedDeviceHome(records).objectStore.parent_path();
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

void BM_StartUpToFirstPaint(benchmark::State& state) {
  const fs::path home = HomeWith(static_cast<std::uint64_t>(state.range(0)));
  QuietMessages messages;
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
    session.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["rows_shown"] = rows;
}
BENCHMARK(BM_StartUpToFirstPaint)
    ->Arg(15'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

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
  state.counters["rows_shown"] = list.RowCount();  // every case reports the same counters
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
  state.counters["rows_shown"] = list.RowCount();
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
