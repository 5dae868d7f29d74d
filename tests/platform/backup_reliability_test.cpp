// Backups and restores that are killed, or that meet a full disk: the store always opens with
// every record it held, only whole backups are listed, and nothing is left half made.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "platform/backup_listing.h"
#include "platform/backup_restore.h"
#include "platform/backup_snapshot.h"
#include "platform/io_faults.h"
#include "platform/leftovers.h"
#include "platform/locations.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::Listing;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr int kKills = 40;
constexpr char kRegistryText[] = "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:00000001\n";

SystemTime Day(int day) {
  SystemTime time;
  time.year = 2026;
  time.month = static_cast<std::uint16_t>(1 + day / 28 % 12);
  time.day = static_cast<std::uint16_t>(1 + day % 28);
  time.hour = 20;
  return time;
}

// The keys of the money database, or nothing when the store does not open whole.
std::optional<std::set<std::uint32_t>> StoredKeys(const std::filesystem::path& store) {
  auto opened = ObjectStore::OpenVolume(store);
  if (opened.status != VolumeStatus::Opened || !opened.store->CheckIntegrity()) return {};
  OpenedDatabase money = opened.store->OpenDatabase(u"money");
  if (money.status != OpenStatus::Opened) return {};
  std::set<std::uint32_t> keys;
  Record record;
  while (money.handle.ReadRecord(record) != 0) keys.insert(record.front().number);
  return keys;
}

std::set<std::uint32_t> Range(std::uint32_t first, std::uint32_t count) {
  std::set<std::uint32_t> keys;
  for (std::uint32_t key = first; key < first + count; ++key) keys.insert(key);
  return keys;
}

// What the next start does: removes what a killed run left, holding the folder.
void TidyAsTheNextStart(const std::filesystem::path& folder) {
  DeviceLocations locations;
  locations.dataFolder = folder;
  locations.objectStore = folder / "objectstore.db";
  locations.registry = folder / "registry.reg";
  RemoveLeftoverFiles(locations);
  RemoveBackupLeftovers(folder);
}

void ExpectOnlyWholeBackups(const std::filesystem::path& folder) {
  for (const BackupEntry& entry : FindBackups(folder)) {
    EXPECT_TRUE(BackupVerifies(entry)) << entry.file << " is listed but not whole";
  }
  for (const std::string& name : Listing(folder / "backups")) {
    EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name << " left after the start";
  }
  for (const std::string& name : Listing(folder)) {
    EXPECT_EQ(name.find(".new-"), std::string::npos) << name << " left after the start";
  }
}

// Runs `work` in a child killed after a random moment, `rounds` times; `check` looks at the
// folder after each kill.
void KillRepeatedly(const std::function<void(int round)>& work,
                    const std::function<void(int round)>& check, int& killedMidway,
                    int longestWaitMs) {
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  for (int round = 0; round < kKills; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      work(round);
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (longestWaitMs * 1000)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFSIGNALED(status)) ++killedMidway;
    check(round);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(KilledBackupTest, AKillAtAnyStepLeavesTheStoreAndOnlyWholeBackups) {
  TempFolder folder;
  const auto store = folder / "objectstore.db";
  ASSERT_TRUE(testing::MakeVolume(store, 3000));
  WriteBytes(folder / "registry.reg", kRegistryText);
  const std::set<std::uint32_t> keys = Range(0, 3000);
  int killed = 0;
  KillRepeatedly(
      [&](int round) {
        // Day after day, so the rotation deletes as well as makes.
        for (int day = round * 3;; ++day) {
          FixedClock clock(Day(day));
          MakeBackup(folder.path(), BackupKind::Regular, clock);
        }
      },
      [&](int) {
        TidyAsTheNextStart(folder.path());
        EXPECT_EQ(StoredKeys(store), keys);
        ExpectOnlyWholeBackups(folder.path());
      },
      killed, 60);
  EXPECT_GT(killed, kKills / 2) << "most kills must land while a backup runs";
  EXPECT_FALSE(FindBackups(folder.path()).empty());
  std::cout << "killed backups " << killed << " times; the store and every listed backup stayed "
            << "whole\n";
}

TEST(KilledBackupTest, AKillAtAnyStepOfARestoreLeavesTheOldStoreOrTheRestoredOne) {
  TempFolder folder;
  TempFolder other;
  const auto store = folder / "objectstore.db";
  // The backup to bring back holds keys 50000.., the store in place keys 0..
  ASSERT_TRUE(testing::MakeVolume(other / "objectstore.db", 0));
  {
    auto opened = ObjectStore::OpenVolume(other / "objectstore.db");
    DatabaseHandle db = std::move(opened.store->OpenDatabase(u"money").handle);
    Transaction group = opened.store->BeginTransaction();
    for (std::uint32_t key = 50000; key < 52000; ++key) db.WriteRecord(0, testing::MoneyLike(key));
    ASSERT_TRUE(group.Commit());
  }
  FixedClock clock(Day(0));
  const auto backup = other / "backup.db";
  ASSERT_EQ(MakeBackup(other.path(), BackupKind::Regular, clock, BackupOptions{backup, nullptr})
                .outcome,
            BackupResult::Outcome::Made);
  ASSERT_TRUE(testing::MakeVolume(store, 3000));
  WriteBytes(folder / "registry.reg", kRegistryText);
  const std::string original = ReadBytes(store);
  const std::set<std::uint32_t> oldKeys = Range(0, 3000);
  const std::set<std::uint32_t> newKeys = Range(50000, 2000);

  int killed = 0;
  int restored = 0;
  KillRepeatedly(
      [&](int round) {
        FixedClock at(Day(round));
        RestoreBackup(folder.path(), backup, at);
        ::pause();
      },
      [&](int) {
        TidyAsTheNextStart(folder.path());
        const auto keys = StoredKeys(store);
        ASSERT_TRUE(keys.has_value()) << "the store does not open whole";
        EXPECT_TRUE(*keys == oldKeys || *keys == newKeys) << keys->size() << " records";
        ExpectOnlyWholeBackups(folder.path());
        if (*keys == newKeys) {
          ++restored;
          WriteBytes(store, original);  // the next round restores again
        }
      },
      killed, 150);
  EXPECT_GT(restored, 0) << "some restores must have finished";
  EXPECT_GT(killed, 0);
  std::cout << "killed restores " << killed << " times, " << restored
            << " had finished; the store was always the old one or the restored one, whole\n";
}

// A 1 MiB tmpfs for the test's life; `mounted` false when mounting is not permitted.
class SmallDisk {
 public:
  explicit SmallDisk(const std::filesystem::path& where) : path_(where) {
    std::filesystem::create_directory(path_);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                                           "size=1m,mode=0700") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

TEST(FullDiskBackupTest, AFullDiskRefusesTheBackupOrRestoreAndLeavesEverythingAsItWas) {
  TempFolder folder;
  const auto store = folder / "objectstore.db";
  ASSERT_TRUE(testing::MakeVolume(store, 1500));
  WriteBytes(folder / "registry.reg", kRegistryText);
  FixedClock clock(Day(0));
  const BackupResult older = MakeBackup(folder.path(), BackupKind::Regular, clock);
  ASSERT_EQ(older.outcome, BackupResult::Outcome::Made) << older.reason;
  const std::string olderBytes = ReadBytes(older.file);
  const auto otherFile = folder / "other.db";
  {
    TempFolder other;
    ASSERT_TRUE(testing::MakeVolume(other / "objectstore.db", 10));
    ASSERT_EQ(MakeBackup(other.path(), BackupKind::Regular, clock, BackupOptions{otherFile, nullptr})
                  .outcome,
              BackupResult::Outcome::Made);
  }
  const std::string storeBytes = ReadBytes(store);
  std::vector<std::string> before = Listing(folder / "backups");

  // The disk fills at every step in turn: the copy's pages, its sync, the registry's copy, the
  // check record, and for a restore the copy into place.
  int refusedBackups = 0;
  int refusedRestores = 0;
  for (int writes = 0; writes < 400; writes += 7) {
    clock.Set(Day(1 + writes));
    IoFaults faults;
    faults.FailAfter(IoOp::Write, writes, IoFault::NoSpace);
    const BackupResult made =
        MakeBackup(folder.path(), BackupKind::Regular, clock, BackupOptions{{}, &faults});
    if (made.outcome == BackupResult::Outcome::Made) {
      before = Listing(folder / "backups");
      break;
    }
    ++refusedBackups;
    EXPECT_EQ(made.outcome, BackupResult::Outcome::Failed) << made.reason;
    EXPECT_EQ(made.problem, VolumeProblem::NoSpace) << made.reason;
    EXPECT_NE(made.reason.find("no space left on the disk"), std::string::npos) << made.reason;
    EXPECT_TRUE(ReadBytes(store) == storeBytes);
    EXPECT_EQ(Listing(folder / "backups"), before) << "nothing half made is left";
  }
  EXPECT_GT(refusedBackups, 3);
  for (IoOp op : {IoOp::Sync, IoOp::Create, IoOp::Rename}) {
    IoFaults faults;
    faults.FailAfter(op, 0, IoFault::NoSpace);
    EXPECT_EQ(MakeBackup(folder.path(), BackupKind::Regular, clock, BackupOptions{{}, &faults})
                  .outcome,
              BackupResult::Outcome::Failed);
    EXPECT_EQ(Listing(folder / "backups"), before);
  }

  for (int writes = 0; writes < 400; writes += 7) {
    clock.Set(Day(200 + writes));
    IoFaults faults;
    faults.FailAfter(IoOp::Write, writes, IoFault::NoSpace);
    const RestoreResult result = RestoreBackup(folder.path(), otherFile, clock,
                                               RestoreOptions{false, {}, &faults});
    if (result.outcome == RestoreResult::Outcome::Restored) break;
    ++refusedRestores;
    EXPECT_EQ(result.outcome, RestoreResult::Outcome::Failed) << result.reason;
    EXPECT_EQ(result.problem, VolumeProblem::NoSpace) << result.reason;
    EXPECT_NE(result.reason.find("no space left on the disk"), std::string::npos)
        << result.reason;
    EXPECT_TRUE(ReadBytes(store) == storeBytes) << "the store is the one that was there";
    EXPECT_TRUE(ReadBytes(older.file) == olderBytes) << "older backups are untouched";
    for (const std::string& name : Listing(folder.path())) {
      EXPECT_EQ(name.find(".new-"), std::string::npos) << name;
    }
  }
  EXPECT_GT(refusedRestores, 3);
  for (const BackupEntry& entry : FindBackups(folder.path())) EXPECT_TRUE(BackupVerifies(entry));

  // And on a real disk that is full, where the system says so itself.
  SmallDisk disk(folder / "disk");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here; the injected ENOSPC covers it";
  const auto small = folder / "disk";
  TempFolder outside;
  ASSERT_TRUE(testing::MakeVolume(outside / "objectstore.db", 4300));
  const std::string smallBytes = ReadBytes(outside / "objectstore.db");
  ASSERT_GT(smallBytes.size(), 600u * 1024) << "the store must not fit twice";
  WriteBytes(small / "objectstore.db", smallBytes);
  ASSERT_TRUE(ReadBytes(small / "objectstore.db") == smallBytes);
  const BackupResult full = MakeBackup(small, BackupKind::Regular, clock);
  EXPECT_EQ(full.outcome, BackupResult::Outcome::Failed) << full.reason;
  EXPECT_EQ(full.problem, VolumeProblem::NoSpace) << full.reason;
  EXPECT_TRUE(ReadBytes(small / "objectstore.db") == smallBytes);
  EXPECT_TRUE(Listing(small / "backups").empty());
}

}  // namespace
}  // namespace quidora::platform
