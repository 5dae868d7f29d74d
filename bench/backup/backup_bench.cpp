// Backups of the generator's million-record home: a backup to a file (copy, sync and
// verification), the verification alone, a restore (its own backup of the store in place
// included), and the check the exit sequence adds before the window closes; against a plain
// `cp` of the same store file, with and without a sync. Every figure is wall-clock time
// (wall_s: the slowest iteration).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "device_home.h"
#include "platform/backup_check.h"
#include "platform/backup_files.h"
#include "platform/backup_restore.h"
#include "platform/backup_snapshot.h"
#include "platform/clock.h"

extern char** environ;

namespace quidora::bench {
namespace {

namespace fs = std::filesystem;

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A data folder holding a copy of the home's store and registry, made once per run.
const fs::path& WorkHome() {
  static const fs::path folder = [] {
    const GeneratedHome& home = CachedDeviceHome(1'000'000);
    const fs::path work = BenchDataFolder() / "backup-work";
    fs::remove_all(work);
    fs::create_directories(work);
    fs::copy_file(home.objectStore, work / "objectstore.db");
    if (fs::exists(home.registry)) fs::copy_file(home.registry, work / "registry.reg");
    return work;
  }();
  return folder;
}

bool RunCp(const fs::path& from, const fs::path& to) {
  std::string program = "cp";
  std::string source = from.string();
  std::string target = to.string();
  std::vector<char*> argv = {program.data(), source.data(), target.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool SyncFile(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  const bool ok = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

// Times `step` once per iteration; `tidy` runs after each, untimed.
template <typename Step, typename Tidy>
void Time(benchmark::State& state, Step step, Tidy tidy) {
  double slowest = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = step();
    const double elapsed = Since(start);
    tidy();
    if (!ok) {
      state.SkipWithError("the step failed");
      break;
    }
    state.SetIterationTime(elapsed);
    slowest = std::max(slowest, elapsed);
  }
  state.counters["wall_s"] = slowest;
}

void BM_CopyWithCp(benchmark::State& state) {
  const fs::path store = WorkHome() / "objectstore.db";
  const fs::path copy = WorkHome() / "cp-copy.db";
  Time(state, [&] { return RunCp(store, copy); }, [&] { fs::remove(copy); });
}
BENCHMARK(BM_CopyWithCp)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CopyWithCpAndSync(benchmark::State& state) {
  const fs::path store = WorkHome() / "objectstore.db";
  const fs::path copy = WorkHome() / "cp-copy.db";
  Time(state, [&] { return RunCp(store, copy) && SyncFile(copy); }, [&] { fs::remove(copy); });
}
BENCHMARK(BM_CopyWithCpAndSync)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_BackupToFile(benchmark::State& state) {
  const fs::path copy = WorkHome() / "backup-copy.db";
  const platform::SystemClock clock;
  Time(
      state,
      [&] {
        platform::BackupOptions options;
        options.file = copy;
        return platform::MakeBackup(WorkHome(), platform::BackupKind::Regular, clock, options)
                   .outcome == platform::BackupResult::Outcome::Made;
      },
      [&] {
        fs::remove(copy);
        fs::remove(copy.string() + ".reg");
      });
}
BENCHMARK(BM_BackupToFile)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_VerifyCopy(benchmark::State& state) {
  const fs::path copy = WorkHome() / "verify-copy.db";
  RunCp(WorkHome() / "objectstore.db", copy);
  Time(
      state,
      [&] {
        return platform::VerifyStoreCopy(copy).passed && platform::DigestFile(copy).has_value();
      },
      [] {});
  fs::remove(copy);
}
BENCHMARK(BM_VerifyCopy)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Restore(benchmark::State& state) {
  const fs::path copy = WorkHome() / "restore-source.db";
  const platform::SystemClock clock;
  platform::BackupOptions options;
  options.file = copy;
  fs::remove(copy);
  fs::remove(copy.string() + ".reg");
  if (platform::MakeBackup(WorkHome(), platform::BackupKind::Regular, clock, options).outcome !=
      platform::BackupResult::Outcome::Made) {
    state.SkipWithError("no backup to restore");
    return;
  }
  Time(
      state,
      [&] {
        return platform::RestoreBackup(WorkHome(), copy, clock).outcome ==
               platform::RestoreResult::Outcome::Restored;
      },
      [&] { fs::remove_all(WorkHome() / "backups"); });
  fs::remove(copy);
  fs::remove(copy.string() + ".reg");
}
BENCHMARK(BM_Restore)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// What the exit sequence adds before the window closes: whether the run changed the store.
void BM_ExitChangeCheck(benchmark::State& state) {
  const fs::path store = WorkHome() / "objectstore.db";
  Time(state, [&] { return platform::VolumeMarkedInUse(store).has_value(); }, [] {});
}
BENCHMARK(BM_ExitChangeCheck)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace
}  // namespace quidora::bench

BENCHMARK_MAIN();
