// A range deletion killed with SIGKILL at random moments leaves the range's records all there or
// all gone, every other record untouched, and a volume that passes its integrity check.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

#include "core/date.h"
#include "store/loading.h"
#include "store/record_properties.h"
#include "store/record_writes.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;

void CopyVolume(const fs::path& from, const fs::path& to) {
  for (const char* suffix : {"", "-wal", "-shm"}) {
    fs::remove(to.string() + suffix);
    if (fs::exists(from.string() + suffix)) fs::copy_file(from.string() + suffix, to.string() + suffix);
  }
}

constexpr int kRounds = 16;
constexpr std::uint32_t kRecords = 6000;  // half of them in 2005, the range
constexpr std::uint32_t kRangeStart = 20050101;
constexpr std::uint32_t kRangeEnd = 20051231;

struct Accounts {
  std::uint32_t shown = 0;  // records of 2005 and 2006; its 2005 is the range
  std::uint32_t other = 0;  // records of 2005 only
};

Accounts Seed(const fs::path& volumeFile, const platform::Clock& clock) {
  Accounts keys;
  Databases store(volumeFile, clock);
  Settings settings;
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  RecordingMessages ui;
  EXPECT_TRUE(OpenDatabases(store, categories, accounts, current, settings, ui));
  EXPECT_TRUE(AddAccountRecord(store, MakeAccount(u"Bank"), keys.shown, ui));
  EXPECT_TRUE(AddAccountRecord(store, MakeAccount(u"Cash"), keys.other, ui));
  EXPECT_TRUE(store.EnsureOpen(store.Money()));
  platform::Transaction all = store.Volume().BeginTransaction();
  for (std::uint32_t i = 0; i < kRecords; ++i) {
    const auto year = static_cast<std::uint16_t>(i % 2 == 0 ? 2005 : 2006);
    const auto month = static_cast<std::uint16_t>(1 + i % 12);
    const std::uint32_t owner = i % 5 == 0 ? keys.other : keys.shown;
    const MoneyRecord record =
        MakeMoney(owner, u"Food", 100, SystemTime{year, month, 0, 15, 0, 0, 0, 0});
    EXPECT_NE(store.Money().handle.WriteRecord(0, MoneyProperties(record, 1000 + i)), 0u);
  }
  EXPECT_TRUE(all.Commit());
  return keys;
}

struct Census {
  std::uint32_t inRange = 0;  // account 1, 2005
  std::uint32_t others = 0;   // everything else
};

Census Count(const fs::path& volumeFile, const platform::Clock& clock, std::uint32_t shown) {
  Census census;
  Databases store(volumeFile, clock);
  Settings settings;
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  RecordingMessages ui;
  EXPECT_TRUE(OpenDatabases(store, categories, accounts, current, settings, ui));
  EXPECT_TRUE(store.Volume().CheckIntegrity());
  MoneyList all;
  LoadAllMoneyRecords(store, all, ui);
  for (const MoneyRecord& record : all) {
    const bool doomed = record.accountKey == shown &&
                        IsInDateRange(record.DateNumber(), kRangeStart, kRangeEnd);
    ++(doomed ? census.inRange : census.others);
  }
  return census;
}

// The child: what the dialog does on Yes. Tells the parent on `ready` just before it starts.
[[noreturn]] void Deleter(const fs::path& volumeFile, const platform::Clock& clock,
                          std::uint32_t shown, int ready) {
  Databases store(volumeFile, clock);
  Settings settings;
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  RecordingMessages ui;
  if (!OpenDatabases(store, categories, accounts, current, settings, ui)) ::_exit(2);
  current.key = shown;
  MoneyList money;
  if (!LoadAccountMoneyRecords(store, money, current, ui)) ::_exit(3);
  const char go = 'g';
  if (::write(ready, &go, 1) != 1) ::_exit(4);
  if (!DeleteMoneyRecordsInRange(store, shown, kRangeStart, kRangeEnd, ui)) ::_exit(5);
  ::_exit(0);
}

TEST(KilledRangeDeleteTest, AKillLeavesTheRangeWholeOrGone) {
  TempFolder folder;
  const platform::FixedClock clock(UtcTime(6, 23, 21, 1));
  const fs::path seeded = folder.path() / "seeded.db";
  const fs::path work = folder.path() / "objectstore.db";
  const Accounts keys = Seed(seeded, clock);
  ASSERT_NE(keys.shown, keys.other);
  const Census before = Count(seeded, clock, keys.shown);
  ASSERT_EQ(before.inRange, kRecords / 2 - kRecords / 10);

  // How long an undisturbed deletion runs, so that the kills spread over it.
  CopyVolume(seeded, work);
  const auto started = std::chrono::steady_clock::now();
  {
    Databases store(work, clock);
    Settings settings;
    CategoryList categories;
    AccountList accounts;
    AccountRecord current;
    RecordingMessages ui;
    ASSERT_TRUE(OpenDatabases(store, categories, accounts, current, settings, ui));
    current.key = keys.shown;
    MoneyList money;
    ASSERT_TRUE(LoadAccountMoneyRecords(store, money, current, ui));
    ASSERT_TRUE(DeleteMoneyRecordsInRange(store, keys.shown, kRangeStart, kRangeEnd, ui));
  }
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
  EXPECT_EQ(Count(work, clock, keys.shown).inRange, 0u);

  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  int whole = 0;
  int gone = 0;
  for (int round = 0; round < kRounds; ++round) {
    CopyVolume(seeded, work);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      Deleter(work, clock, keys.shown, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    char go = 0;
    ASSERT_EQ(::read(pipeFds[0], &go, 1), 1) << "the child failed before deleting";
    ::close(pipeFds[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (span + 1)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
        << "the child failed with " << status;

    const Census after = Count(work, clock, keys.shown);
    EXPECT_EQ(after.others, before.others) << "round " << round;
    EXPECT_TRUE(after.inRange == before.inRange || after.inRange == 0)
        << "round " << round << ": " << after.inRange << " of " << before.inRange << " left";
    ++(after.inRange == 0 ? gone : whole);
  }
  std::cout << kRounds << " kills during a deletion of " << before.inRange << " records (about "
            << span / 1000 << " ms): " << whole << " left the range whole, " << gone
            << " found it gone\n";
}

}  // namespace
}  // namespace quidora::testing
