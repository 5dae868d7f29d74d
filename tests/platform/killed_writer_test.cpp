// A writer killed with SIGKILL at random moments: after every kill the volume passes its
// integrity check and holds every write that was acknowledged before the kill. An upgrade of an
// older volume killed at any moment leaves the old volume or the new one, each whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "platform/object_store.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

constexpr int kKills = 120;
constexpr std::uint32_t kGroupSize = 8;

void WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n <= 0) ::_exit(4);
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

// The child: writes records with keys from `firstKey` on, forever, and reports each key on `fd`
// once the call that stored it has returned. Groups mode reports a group's keys after its commit.
[[noreturn]] void Writer(const std::filesystem::path& file, std::uint32_t firstKey, bool groups,
                         int fd) {
  auto opened = ObjectStore::OpenVolume(file);
  if (!opened.store) ::_exit(2);
  ObjectStore& store = *opened.store;
  OpenedDatabase money = store.OpenDatabase(u"money");
  if (money.status == OpenStatus::NotFound) {
    store.CreateDatabase(u"money");
    money = store.OpenDatabase(u"money");
  }
  if (money.status != OpenStatus::Opened) ::_exit(3);
  DatabaseHandle& db = money.handle;
  for (std::uint32_t key = firstKey;; key += groups ? kGroupSize : 1) {
    if (groups) {
      Transaction group = store.BeginTransaction();
      for (std::uint32_t k = key; k < key + kGroupSize; ++k) {
        if (db.WriteRecord(0, testing::MoneyLike(k, 100)) == 0) ::_exit(5);
      }
      if (!group.Commit()) ::_exit(6);
      for (std::uint32_t k = key; k < key + kGroupSize; ++k) WriteAll(fd, &k, sizeof k);
    } else {
      if (db.WriteRecord(0, testing::MoneyLike(key, 100)) == 0) ::_exit(5);
      WriteAll(fd, &key, sizeof key);
    }
  }
}

TEST(KilledWriterTest, EveryAcknowledgedWriteSurvivesAKill) {
  testing::TempFolder folder;
  const auto file = folder / "objectstore.db";
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));

  std::vector<std::uint32_t> acknowledged;
  int kills = 0;
  int volumesRecreated = 0;
  std::size_t verifiedWrites = 0;
  for (int round = 0; round < kKills; ++round) {
    if (round % 20 == 0) {
      // Start over now and then, so some kills land while the volume is being made.
      for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(file.string() + suffix);
      }
      acknowledged.clear();
      ++volumesRecreated;
    }
    const std::uint32_t firstKey = static_cast<std::uint32_t>(round) * 100000;
    const bool groups = round % 2 == 1;
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      Writer(file, firstKey, groups, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 150000));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own with " << status;
    ++kills;

    std::string reported;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
      reported.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    std::uint32_t roundKeys = 0;
    for (std::size_t i = 0; i + sizeof(std::uint32_t) <= reported.size(); i += 4) {
      std::uint32_t key = 0;
      std::memcpy(&key, reported.data() + i, sizeof key);
      acknowledged.push_back(key);
      ++roundKeys;
    }

    auto opened = ObjectStore::OpenVolume(file);
    ASSERT_TRUE(opened.status == VolumeStatus::Opened || opened.status == VolumeStatus::Created)
        << ToString(opened.status) << ": " << opened.detail;
    if (opened.status == VolumeStatus::Created) {
      ASSERT_TRUE(acknowledged.empty()) << "a volume with acknowledged writes vanished";
      continue;
    }
    ASSERT_TRUE(opened.store->CheckIntegrity()) << "round " << round;
    OpenedDatabase money = opened.store->OpenDatabase(u"money");
    if (acknowledged.empty() && money.status == OpenStatus::NotFound) continue;
    ASSERT_EQ(money.status, OpenStatus::Opened);
    for (std::uint32_t key : acknowledged) {
      ASSERT_EQ(money.handle.ContainsKey(key), true) << "acknowledged key " << key << " lost";
    }
    verifiedWrites += acknowledged.size();
    if (groups) {
      // Of the round's groups, each is there whole or not at all.
      std::uint32_t present = 0;
      for (std::uint32_t key = firstKey; money.handle.ContainsKey(key) == true; ++key) ++present;
      EXPECT_EQ(present % kGroupSize, 0u) << "a group was cut: " << present;
      EXPECT_GE(present, roundKeys);
    }
  }
  std::cout << "killed the writer " << kills << " times, " << volumesRecreated
            << " fresh volumes; every kill left an intact volume; " << verifiedWrites
            << " acknowledged writes verified after the kills (" << acknowledged.size()
            << " in the last volume)\n";
  ::testing::Test::RecordProperty("kills", kills);
  EXPECT_EQ(kills, kKills);
}

VolumeOptions WithAccountOrder() {
  VolumeOptions options;
  options.sortOrders.push_back({u"money", MakePropId(1, kTypeUi4)});
  return options;
}

// The records of "money" in key order, as stored bytes; empty when the volume does not open.
// `upgraded` tells whether the volume keeps what `options` asks for.
std::vector<std::vector<std::uint8_t>> ReadOnlyContents(const std::filesystem::path& file,
                                                        const VolumeOptions& options,
                                                        bool& upgraded) {
  VolumeOptions readOnly;
  readOnly.readOnly = true;
  auto opened = ObjectStore::OpenVolume(file, readOnly);
  std::vector<std::vector<std::uint8_t>> contents;
  if (opened.store == nullptr) return contents;
  OpenedDatabase money = opened.store->OpenDatabase(u"money");
  const std::optional<DatabaseInfo> info = opened.store->GetDatabaseInfo(money.oid);
  upgraded = info && info->moreSortOrders == std::vector<PropId>{MakePropId(1, kTypeUi4)};
  if (!options.dateOrders.empty()) {
    upgraded = upgraded && info->dateOrder == options.dateOrders.front().order;
  }
  Record record;
  while (money.handle.ReadRecord(record) != 0) {
    contents.emplace_back();
    EncodeRecord(record, contents.back());
  }
  return contents;
}

// Kills upgrades of the volume that `makeOlder` turns into an older one, at random moments:
// every kill leaves the old volume or the upgraded one, whole.
void KillUpgrades(bool (*makeOlder)(const std::filesystem::path&), const VolumeOptions& options) {
  testing::TempFolder folder;
  const auto file = folder / "objectstore.db";
  ASSERT_TRUE(testing::MakeVolume(file, 20000));
  if (!makeOlder(file)) GTEST_SKIP() << "the sqlite3 program is not installed";
  const std::string older = testing::ReadBytes(file);
  bool upgraded = false;
  const auto expected = ReadOnlyContents(file, options, upgraded);
  ASSERT_EQ(expected.size(), 20000u);
  ASSERT_FALSE(upgraded);
  const auto restore = [&] {
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
    testing::WriteBytes(file, older);
  };

  // How long an upgrade takes here, so that the kills spread over it.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(ObjectStore::OpenVolume(file, options).status, VolumeStatus::Opened);
  // Twice that, and the start of a process before it: some kills come after the end.
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                            .count() *
                        2 +
                    20000;

  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  int oldKept = 0;
  int newKept = 0;
  for (int round = 0; round < 30; ++round) {
    restore();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      auto opened = ObjectStore::OpenVolume(file, options);
      ::_exit(opened.status == VolumeStatus::Opened ? 0 : 1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % span));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));

    ASSERT_EQ(ReadOnlyContents(file, options, upgraded), expected) << "round " << round;
    ++(upgraded ? newKept : oldKept);
    auto opened = ObjectStore::OpenVolume(file, options);
    ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
    ASSERT_TRUE(opened.store->CheckIntegrity()) << "round " << round;
  }
  std::cout << "killed 30 upgrades: " << oldKept << " left the old volume, " << newKept
            << " the new one; each whole\n";
}

TEST(KilledWriterTest, AnUpgradeKilledAtAnyMomentLeavesTheOldOrTheNewVolumeWhole) {
  KillUpgrades(testing::MakeFirstVersionVolume, WithAccountOrder());
}

// The upgrade of a second-version volume builds the money records' date order, in one
// transaction with the schema's.
TEST(KilledWriterTest, ADateOrderUpgradeKilledAtAnyMomentLeavesTheOldOrTheNewVolumeWhole) {
  VolumeOptions options = WithAccountOrder();
  options.dateOrders.push_back({u"money", testing::MoneyDateOrder()});
  KillUpgrades(testing::MakeSecondVersionVolume, options);
}

}  // namespace
}  // namespace quidora::platform
