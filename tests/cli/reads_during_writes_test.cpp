// quidora-cli reading a store that no program has open (no log beside it) while the device
// program starts, changes records all over the store and ends, folding its log into the file:
// every read ends as if it had been made wholly before or wholly after the writer, and never
// calls the store damaged.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "cli_runner.h"
#include "device_home.h"
#include "resources/strings/string_table.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/record_writes.h"
#include "store/store_reader.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

MoneyList AllMoney(const fs::path& volume) {
  MoneyList money;
  platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(volume);
  if (opened.reader == nullptr) return money;
  StoreReader store(*opened.reader);
  EXPECT_TRUE(store.ReadMoneyRecords(money, MoneySelection{}));
  return money;
}

TEST(ReadsDuringWritesTest, AWriterStartingMidReadNeverPassesForDamage) {
  TempFolder home;
  bench::GenerateOptions options;
  options.records = 200000;
  options.maxAmount = 1000;  // every sum within range, so no run is refused for an overflow
  bench::GeneratedHome generated;
  std::string error;
  ASSERT_TRUE(bench::GenerateDeviceHome(home.path(), options, generated, error)) << error;
  const fs::path volume = home.path() / "objectstore.db";
  ASSERT_FALSE(fs::exists(volume.string() + "-wal"));

  const auto quietRead = [&] {
    const CliRun run = RunCli(home.path(), {"accounts", "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  };
  const auto started = Clock::now();
  std::string before = quietRead();
  const auto readMicros =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();

  std::mt19937 random(19);
  int spoiled = 0;
  for (int step = 0; step < 6; ++step) {
    // The writer changes 300 records spread over the whole store in one transaction, with
    // longer memos, so pages split: quick to write, and a read that meets it half way sees
    // neither the old sums nor the new ones, or pages that no longer fit together.
    MoneyList money = AllMoney(volume);
    ASSERT_GT(money.size(), 1000u);
    std::vector<MoneyRecord> changed;
    for (int i = 0; i < 300; ++i) {
      MoneyRecord record;
      record.CopyFrom(money[std::uniform_int_distribution<std::size_t>(0, money.size() - 1)(random)]);
      record.amount += 1;
      record.SetMemo(u"a memo long enough to make its page split when it is written back: " +
                     std::u16string(40, u'x'));
      changed.push_back(std::move(record));
    }

    CliRun during;
    std::thread reader([&] { during = RunCli(home.path(), {"accounts", "--format", "csv"}); });
    std::this_thread::sleep_for(std::chrono::microseconds(
        std::uniform_int_distribution<long long>(readMicros / 10, readMicros / 2)(random)));
    bool written = false;
    {
      platform::FixedClock clock(UtcTime(6, 23, 21, 1));
      Databases writer(volume, clock);
      ScriptedMessages ui;
      written = writer.OpenVolume();
      StoreBatch batch(writer, StringId::AddError, store::kMoneyDatabaseName);
      for (const MoneyRecord& record : changed) {
        written = written && UpdateMoneyRecord(writer, record, ui);
      }
      written = written && batch.Commit(ui);
      writer.CloseAll();
      written = written && writer.MarkCleanEnd();  // as the device program ends
    }  // the writer ends: its log is folded into the file and removed
    reader.join();
    ASSERT_TRUE(written);
    ASSERT_FALSE(fs::exists(volume.string() + "-wal"));
    const std::string after = quietRead();
    ASSERT_NE(after, before);
    EXPECT_EQ(during.status, 0) << "step " << step << ": " << during.err;
    EXPECT_TRUE(during.out == before || during.out == after || during.status != 0)
        << "step " << step << ": a read mixing two states:\n" << during.out;
    spoiled += during.status != 0 || (during.out != before && during.out != after) ? 1 : 0;
    before = after;
  }
  EXPECT_EQ(spoiled, 0);
}

}  // namespace
}  // namespace quidora::testing
