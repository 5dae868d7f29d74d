// Fills an emulated device home with generated data through the storage layer: 30
// categories, 15 accounts, N money records spread over the accounts (or over the first few),
// and the settings.
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

struct GenerateOptions {
  std::uint64_t records = 0;
  // The record fields are drawn from a generator seeded with this: a seed always gives the
  // same data.
  std::uint32_t seed = 1;
  // Keys as the program makes them from the clock (day, hour, minute and second written one
  // after another) at random moments, a taken one moved on to the next free key as an add
  // does; otherwise 1000, 1001, 1002 and so on.
  bool clockKeys = false;
  // The largest amount in hundredths; 0 keeps the generator's own range (up to 1,000,000.00).
  // A small one keeps an account's yearly sums within the signed 32-bit range that sums use.
  std::uint32_t maxAmount = 0;
  // How many of the 15 accounts the records are spread over, the first ones in list order: 1
  // puts every record into the account shown at start.
  std::uint32_t accounts = 15;
};

// Generates into `home` (as QUIDORA_HOME would name it), which must not hold a volume yet.
// The money records are written in one transaction. False with `error` set when anything
// fails.
bool GenerateDeviceHome(const std::filesystem::path& home, const GenerateOptions& options,
                        GeneratedHome& out, std::string& error);

// The folder that keeps generated homes between runs: $QUIDORA_BENCH_DATA when it is an
// absolute path, else /tmp/quidora-bench-data.
std::filesystem::path BenchDataFolder();

// The generated home of these options in BenchDataFolder(), made on first use and kept for
// later runs; ends the process when it cannot be made. The short form is the default options
// with `records` money records.
const GeneratedHome& CachedDeviceHome(const GenerateOptions& options);
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
