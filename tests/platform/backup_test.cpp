// Backups of a data folder: made, listed, rotated and brought back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "platform/backup_listing.h"
#include "platform/backup_restore.h"
#include "platform/backup_rotation.h"
#include "platform/backup_snapshot.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr char kRegistryText[] = "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:00000001\n";

SystemTime At(int year, int month, int day, int hour = 20) {
  SystemTime time;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(day);
  time.hour = static_cast<std::uint16_t>(hour);
  return time;
}

SystemTime DaysAfter(const SystemTime& start, int days) {
  // Walks the calendar through the epoch-day count and back.
  const std::int64_t target = DaysSinceEpoch(start) + days;
  SystemTime t = start;
  t.year = 1970;
  t.month = 1;
  t.day = 1;
  while (DaysSinceEpoch(At(t.year + 1, 1, 1)) <= target) ++t.year;
  while (t.month < 12 && DaysSinceEpoch(At(t.year, t.month + 1, 1)) <= target) ++t.month;
  t.day = static_cast<std::uint16_t>(target - DaysSinceEpoch(At(t.year, t.month, 1)) + 1);
  return t;
}

std::uint32_t MoneyCount(const std::filesystem::path& store) {
  auto opened = ObjectStore::OpenVolume(store);
  if (!opened.store) return 0;
  EXPECT_TRUE(opened.store->CheckIntegrity());
  OpenedDatabase money = opened.store->OpenDatabase(u"money");
  return money.status == OpenStatus::Opened ? money.handle.RecordCount().value_or(0) : 0;
}

void AddMoney(const std::filesystem::path& store, std::uint32_t from, std::uint32_t count) {
  auto opened = ObjectStore::OpenVolume(store);
  ASSERT_TRUE(opened.store);
  DatabaseHandle db = std::move(opened.store->OpenDatabase(u"money").handle);
  for (std::uint32_t key = from; key < from + count; ++key) {
    ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(key)), 0u);
  }
}

// Breaks the b-tree header of every page after the first: SQLite's checks find it at once.
std::string Damaged(std::string bytes) {
  for (std::size_t page = 1; page * 4096 < bytes.size(); ++page) bytes[page * 4096] = '\x77';
  return bytes;
}

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeVolume(store_, 50));
    WriteBytes(folder_ / "registry.reg", kRegistryText);
  }
  TempFolder folder_;
  std::filesystem::path store_ = folder_ / "objectstore.db";
  FixedClock clock_{At(2026, 3, 14, 9)};
};

TEST_F(BackupTest, ABackupIsVerifiedPrivateAndBringsBackTheStoreAndSettings) {
  const BackupResult made = MakeBackup(folder_.path(), BackupKind::Regular, clock_);
  ASSERT_EQ(made.outcome, BackupResult::Outcome::Made) << made.reason;
  EXPECT_EQ(made.file, folder_ / "backups" / "objectstore-20260314-090000.db");
  EXPECT_EQ(made.registry, folder_ / "backups" / "registry-20260314-090000.reg");
  EXPECT_EQ(made.records, 50u);
  EXPECT_EQ(ModeOf(folder_ / "backups"), 0700u);
  for (const auto& name : testing::Listing(folder_ / "backups")) {
    EXPECT_EQ(ModeOf(folder_ / "backups" / name), 0600u) << name;
  }
  EXPECT_EQ(ReadBytes(made.registry), kRegistryText);
  EXPECT_EQ(MoneyCount(made.file), 50u) << "the copy opens as a store";

  // The store changes; a second backup in the same second gets a name of its own.
  AddMoney(store_, 1000, 10);
  WriteBytes(folder_ / "registry.reg", "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:00000002\n");
  const BackupResult again = MakeBackup(folder_.path(), BackupKind::BeforeImport, clock_);
  ASSERT_EQ(again.outcome, BackupResult::Outcome::Made) << again.reason;
  EXPECT_EQ(again.file.filename(), "objectstore-20260314-090000-import-1.db");
  EXPECT_EQ(again.records, 60u);

  clock_.Set(At(2026, 3, 14, 10));
  const RestoreResult restored =
      RestoreBackup(folder_.path(), made.file, clock_, RestoreOptions{true, {}, nullptr});
  ASSERT_EQ(restored.outcome, RestoreResult::Outcome::Restored) << restored.reason;
  EXPECT_EQ(MoneyCount(store_), 50u);
  EXPECT_EQ(ReadBytes(folder_ / "registry.reg"), kRegistryText);
  EXPECT_EQ(ModeOf(store_), 0600u);
  EXPECT_FALSE(restored.keptAsPlainCopy);
  EXPECT_EQ(restored.keptBefore.file.filename(), "objectstore-20260314-100000-restore.db");

  const std::vector<BackupEntry> listed = FindBackups(folder_.path());
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].id.kind, BackupKind::BeforeRestore);
  EXPECT_EQ(listed[1].id.kind, BackupKind::BeforeImport);
  EXPECT_EQ(listed[2].id.kind, BackupKind::Regular);
  for (const BackupEntry& entry : listed) EXPECT_TRUE(BackupVerifies(entry)) << entry.file;
  ASSERT_TRUE(listed[0].record.has_value());
  EXPECT_EQ(listed[0].record->records, 60u) << "the replaced store is the one kept";

  // Without --settings the registry stays as it is.
  const RestoreResult back = RestoreBackup(folder_.path(), listed[0].file, clock_);
  ASSERT_EQ(back.outcome, RestoreResult::Outcome::Restored) << back.reason;
  EXPECT_EQ(MoneyCount(store_), 60u);
  EXPECT_EQ(ReadBytes(folder_ / "registry.reg"), kRegistryText);
  EXPECT_TRUE(testing::Listing(folder_.path()) ==
              (std::vector<std::string>{"backups", "objectstore.db", "registry.reg"}))
      << "no temporary file or old log is left beside the store";
}

TEST_F(BackupTest, ADamagedCutNewerOrForeignBackupIsRefusedAndNothingChanges) {
  const BackupResult made = MakeBackup(folder_.path(), BackupKind::Regular, clock_);
  ASSERT_EQ(made.outcome, BackupResult::Outcome::Made) << made.reason;
  const std::string good = ReadBytes(made.file);

  // A few bytes changed in the middle: the listing finds it at once, the restore refuses it.
  std::string damaged = good;
  damaged[damaged.size() / 2] ^= 0x5A;
  WriteBytes(made.file, damaged);
  const auto cut = folder_ / "cut.db";
  WriteBytes(cut, good.substr(0, good.size() - 4096));
  const auto newer = folder_ / "newer.db";
  WriteBytes(newer, good);
  if (!testing::RunSqliteProgram(newer, "PRAGMA user_version=99")) {
    GTEST_SKIP() << "the sqlite3 program is needed to write a newer version";
  }
  const auto foreign = folder_ / "foreign.db";
  ASSERT_TRUE(testing::RunSqliteProgram(foreign, "CREATE TABLE t(x)"));
  const auto text = folder_ / "notes.txt";
  WriteBytes(text, "not a store at all\n");

  std::vector<BackupEntry> listed = FindBackups(folder_.path());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_FALSE(BackupVerifies(listed[0]));

  const std::string storeBefore = ReadBytes(store_);
  const std::vector<std::pair<std::filesystem::path, std::string>> refusals = {
      {made.file, "damaged"},          {cut, "cut short"},
      {newer, "newer version"},        {foreign, "not a Quidora store"},
      {text, "not a Quidora store"},   {folder_ / "missing.db", "does not exist"}};
  for (const auto& [file, why] : refusals) {
    const std::string bytes = ReadBytes(file);
    const RestoreResult refused = RestoreBackup(folder_.path(), file, clock_);
    EXPECT_EQ(refused.outcome, RestoreResult::Outcome::Refused) << file;
    EXPECT_NE(refused.reason.find(file.string()), std::string::npos) << refused.reason;
    EXPECT_NE(refused.reason.find(why), std::string::npos) << refused.reason;
    EXPECT_TRUE(ReadBytes(file) == bytes) << "the refused file is left byte for byte";
  }
  EXPECT_TRUE(ReadBytes(store_) == storeBefore);
  EXPECT_EQ(FindBackups(folder_.path()).size(), 1u) << "no backup of the store was made";
  EXPECT_TRUE(ReadBytes(made.file) == damaged);

  // A damaged store is not backed up in place of a good backup.
  WriteBytes(store_, Damaged(storeBefore));
  const BackupResult refused = MakeBackup(folder_.path(), BackupKind::Regular, clock_);
  EXPECT_EQ(refused.outcome, BackupResult::Outcome::StoreDamaged) << refused.reason;
  EXPECT_NE(refused.reason.find(store_.string()), std::string::npos) << refused.reason;
  EXPECT_EQ(FindBackups(folder_.path()).size(), 1u);
}

TEST_F(BackupTest, RestoringOverADamagedStoreKeepsItAsAPlainCopy) {
  const BackupResult made = MakeBackup(folder_.path(), BackupKind::Regular, clock_);
  ASSERT_EQ(made.outcome, BackupResult::Outcome::Made) << made.reason;
  const std::string damaged = Damaged(ReadBytes(store_));
  WriteBytes(store_, damaged);

  clock_.Set(At(2026, 3, 15));
  const RestoreResult restored = RestoreBackup(folder_.path(), made.file, clock_);
  ASSERT_EQ(restored.outcome, RestoreResult::Outcome::Restored) << restored.reason;
  EXPECT_TRUE(restored.keptAsPlainCopy);
  EXPECT_TRUE(ReadBytes(restored.keptBefore.file) == damaged) << "kept byte for byte";
  EXPECT_EQ(MoneyCount(store_), 50u);
  const std::vector<BackupEntry> listed = FindBackups(folder_.path());
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].id.kind, BackupKind::BeforeRestore);
  EXPECT_FALSE(BackupVerifies(listed[0])) << "a plain copy is never listed as verified";
  EXPECT_EQ(NewestVerifiedBackup(folder_.path())->file, made.file);
}

// A year of daily runs, each making a backup at 20:00 and one before an import every tenth
// day at noon: at the end exactly the rotation's set remains.
TEST_F(BackupTest, AYearOfDailyRunsKeepsExactlyTheRotation) {
  const SystemTime first = At(2025, 1, 1);
  for (int day = 0; day < 365; ++day) {
    const SystemTime evening = DaysAfter(first, day);
    if (day % 10 == 0) {
      SystemTime noon = evening;
      noon.hour = 12;
      clock_.Set(noon);
      ASSERT_EQ(MakeBackup(folder_.path(), BackupKind::BeforeImport, clock_).outcome,
                BackupResult::Outcome::Made);
    }
    clock_.Set(evening);
    ASSERT_EQ(MakeBackup(folder_.path(), BackupKind::Regular, clock_).outcome,
              BackupResult::Outcome::Made);
  }
  std::set<std::string> kept;
  for (const BackupEntry& entry : FindBackups(folder_.path())) {
    kept.insert(entry.file.filename().string());
    EXPECT_TRUE(BackupVerifies(entry));
  }
  std::set<std::string> expected;
  // The last 7 days; the newest of the weeks Mon 1 Dec to Sun 7, 8-14, 15-21, 22-28 and
  // 29-31 Dec; the last day of every month.
  for (const char* day : {"1225", "1226", "1227", "1228", "1229", "1230", "1231", "1221", "1214",
                          "1207", "1130", "1031", "0930", "0831", "0731", "0630", "0531", "0430",
                          "0331", "0228", "0131"}) {
    expected.insert(std::string("objectstore-2025") + day + "-200000.db");
  }
  // Imports on days 330 (27 Nov, more than 30 days before now), 340, 350 and 360.
  for (const char* day : {"1207", "1217", "1227"}) {
    expected.insert(std::string("objectstore-2025") + day + "-120000-import.db");
  }
  EXPECT_EQ(kept, expected);
  // Every registry copy and check record went with its store copy.
  EXPECT_EQ(testing::Listing(folder_ / "backups").size(), 3 * expected.size());
}

TEST(BackupRotationTest, TheOnlyVerifiedBackupIsNeverDeleted) {
  // Daily backups for a year, of which only the one of 15 June verifies.
  std::vector<BackupId> backups;
  const SystemTime first = At(2025, 1, 1);
  std::size_t onlyGood = 0;
  for (int day = 0; day < 365; ++day) {
    backups.push_back(BackupId{DaysAfter(first, day), BackupKind::Regular, 0});
    if (backups.back().time.month == 6 && backups.back().time.day == 15) onlyGood = day;
  }
  int asked = 0;
  const std::vector<bool> keep =
      BackupsToKeep(backups, At(2025, 12, 31, 21), [&](std::size_t i) {
        ++asked;
        return i == onlyGood;
      });
  EXPECT_TRUE(keep[onlyGood]);
  EXPECT_EQ(std::count(keep.begin(), keep.end(), true), 21 + 1);

  // With a good one among those kept, nothing else is kept and little is read.
  asked = 0;
  const std::vector<bool> usual = BackupsToKeep(backups, At(2025, 12, 31, 21),
                                                [&](std::size_t) { return ++asked > 0; });
  EXPECT_FALSE(usual[onlyGood]);
  EXPECT_EQ(std::count(usual.begin(), usual.end(), true), 21);
  EXPECT_EQ(asked, 1);

  // Backups before a step stay 30 days, also when the clock was set back.
  const std::vector<BackupId> steps = {{At(2025, 12, 1, 19), BackupKind::BeforeRestore, 0},
                                       {At(2025, 12, 1, 21), BackupKind::BeforeUpgrade, 0},
                                       {At(2026, 2, 1), BackupKind::BeforeImport, 0}};
  const std::vector<bool> stepKeep =
      BackupsToKeep(steps, At(2025, 12, 31, 20), [](std::size_t) { return true; });
  EXPECT_EQ(stepKeep, (std::vector<bool>{false, true, true}));
}

TEST(BackupNamesTest, NamesReadBackAndOthersAreNotBackups) {
  const BackupId id{At(2026, 12, 9, 5), BackupKind::BeforeUpgrade, 2};
  EXPECT_EQ(StoreBackupName(id), "objectstore-20261209-050000-upgrade-2.db");
  const std::optional<BackupId> read = ParseStoreBackupName(StoreBackupName(id));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->kind, BackupKind::BeforeUpgrade);
  EXPECT_EQ(read->sequence, 2);
  EXPECT_EQ(read->time, id.time);
  for (const char* other : {"objectstore-20261209-050000.db.tmp-1-2", "objectstore.db",
                            "objectstore-20261309-050000.db", "objectstore-20261209-050000-02.db",
                            "objectstore-20261209-050000-other.db", "registry-20261209-050000.reg",
                            "objectstore-20261209-050000.db.sum"}) {
    EXPECT_FALSE(ParseStoreBackupName(other)) << other;
  }
}

}  // namespace
}  // namespace quidora::platform
