// Fills an emulated device home with generated data through the storage layer: 30
// categories, 15 accounts, N money records spread over the accounts, and the settings.
// Shared by quidora_generate and the storage benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace quidora::bench {

struct GeneratedHome {
  std::filesystem::path objectStore;
  std::filesystem::path registry;
  std::vector<std::uint32_t> accountKeys;  // in account list order
  std::uint64_t records = 0;
};

// The 30 category names the generator uses, in list order.
const std::vector<std::u16string>& GeneratedCategories();

// Generates into `home` (as QUIDORA_HOME would name it), which must not hold a volume yet.
// The money records are written in one transaction with keys 1000, 1001, ... ; the record
// fields are drawn from a generator seeded with `seed`, so a seed always gives the same data.
// False with `error` set when anything fails.
bool GenerateDeviceHome(const std::filesystem::path& home, std::uint64_t records,
                        std::uint32_t seed, GeneratedHome& out, std::string& error);

// The folder that keeps generated homes between runs: $QUIDORA_BENCH_DATA when it is an
// absolute path, else /tmp/quidora-bench-data.
std::filesystem::path BenchDataFolder();

// The generated home of `records` money records in BenchDataFolder(), made on first use (seed
// 1) and kept for later runs; ends the process when it cannot be made.
const GeneratedHome& CachedDeviceHome(std::uint64_t records);

// Reads the account keys and record count of a home made by GenerateDeviceHome.
bool DescribeDeviceHome(const std::filesystem::path& home, GeneratedHome& out);

// A clock that moves on one second each time it is read, so that keys made from it in a row
// rarely meet.
class SteppingClock final : public platform::Clock {
 public:
  explicit SteppingClock(SystemTime start) : now_(start) {}
  SystemTime NowUtc() const override;

 private:
  mutable SystemTime now_;
};

}  // namespace quidora::bench
