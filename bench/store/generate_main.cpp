// quidora_generate: fills an emulated device home with test data.
//
//   quidora_generate --home DIR --records N [--seed S] [--clock-keys] [--max-amount A]
//
// DIR becomes a device home as QUIDORA_HOME=DIR names it: DIR/objectstore.db with 30
// categories, 15 accounts and N money records spread over them (keys 1000 upwards, dates
// 2000 to 2025, both types, memos present, empty and missing), DIR/registry.reg with default
// settings and the first account as LastAccount, and the two document folders. DIR must not
// hold an object store yet. The same options always give the same data (seed default 1).
//   --clock-keys    keys as the program makes them from the clock at random moments, a taken
//                   one moved on to the next free key, instead of 1000 upwards
//   --max-amount A  no amount above A hundredths (A >= 1), so that a year's sums of an account
//                   stay within the signed 32-bit range: at 1,000,000 records an account holds
//                   about 2,600 records a year, so A = 800000 (8,000.00) keeps them there
//   QUIDORA_HOME=DIR quidora      then shows the generated data.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "device_home.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: quidora_generate --home DIR --records N [--seed S] [--clock-keys]"
               " [--max-amount A]\n");
  return 2;
}

bool ParseNumber(const char* text, std::uint64_t& out) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || text[0] == '-') return false;
  out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string home;
  quidora::bench::GenerateOptions options;
  bool haveRecords = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--clock-keys") {
      options.clockKeys = true;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    std::uint64_t number = 0;
    if (arg == "--home") {
      home = argv[++i];
    } else if (arg == "--records") {
      if (!ParseNumber(argv[++i], options.records) || options.records > 4'000'000'000ull) {
        return Usage();
      }
      haveRecords = true;
    } else if (arg == "--seed") {
      if (!ParseNumber(argv[++i], number) || number > 0xFFFFFFFFull) return Usage();
      options.seed = static_cast<std::uint32_t>(number);
    } else if (arg == "--max-amount") {
      if (!ParseNumber(argv[++i], number) || number == 0 || number > 100'000'000ull) {
        return Usage();
      }
      options.maxAmount = static_cast<std::uint32_t>(number);
    } else {
      return Usage();
    }
  }
  if (home.empty() || !haveRecords) return Usage();

  const auto start = std::chrono::steady_clock::now();
  quidora::bench::GeneratedHome made;
  std::string error;
  if (!quidora::bench::GenerateDeviceHome(home, options, made, error)) {
    std::fprintf(stderr, "quidora_generate: %s\n", error.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%llu money records, %zu accounts, %zu categories in %s (%.1f s)\n",
              static_cast<unsigned long long>(made.records), made.accountKeys.size(),
              quidora::bench::GeneratedCategories().size(), made.objectStore.c_str(), seconds);
  return 0;
}
