// Loading a registry file near its 4 MiB cap: 160,000 values in one key, and as many keys as
// fit. Both shapes are what a hand edit or a hostile file could hold; the load happens before
// the window shows, so it has to stay well under a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry.h"

namespace quidora::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCap = 4u << 20;

std::string Number(std::size_t n) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%06zu", n);
  return digits;
}

std::string OneKeyManyValues() {
  std::string text = "[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora\\Settings]\n";
  for (std::size_t i = 0; i < 160'000; ++i) {
    text += "\"v" + Number(i) + "\"=dword:00000001\n";
  }
  return text;
}

std::string ManyKeys() {
  std::string text;
  for (std::size_t i = 0;; ++i) {
    const std::string key = "[HKEY_USERS\\k" + Number(i) + "]\n\"a\"=dword:00000002\n";
    if (text.size() + key.size() >= kCap) break;
    text += key;
  }
  return text;
}

fs::path WriteFile(const std::string& name, const std::string& text) {
  const fs::path file = fs::temp_directory_path() /
                        ("quidora-registry-bench-" + std::to_string(::getpid()) + "-" + name);
  std::ofstream(file, std::ios::binary) << text;
  return file;
}

void LoadFile(benchmark::State& state, const std::string& text, std::size_t expectedDamaged) {
  const fs::path file = WriteFile(std::to_string(text.size()), text);
  for (auto _ : state) {
    Registry registry = Registry::Load(file);
    if (registry.DamagedLines() != static_cast<int>(expectedDamaged) || !registry.LoadedCleanly()) {
      state.SkipWithError("the file did not load cleanly");
      break;
    }
    benchmark::DoNotOptimize(registry);
  }
  state.counters["file_MB"] = static_cast<double>(text.size()) / (1 << 20);
  fs::remove(file);
}

void BM_LoadRegistryOneKeyManyValues(benchmark::State& state) {
  LoadFile(state, OneKeyManyValues(), 0);
}
BENCHMARK(BM_LoadRegistryOneKeyManyValues)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_LoadRegistryManyKeys(benchmark::State& state) {
  LoadFile(state, ManyKeys(), 0);
}
BENCHMARK(BM_LoadRegistryManyKeys)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace quidora::platform

BENCHMARK_MAIN();
