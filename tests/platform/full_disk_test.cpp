// A disk that fills up: writes fail with a result, nothing stored is lost, and writing works again
// once there is room. On a real small tmpfs when this process may mount one, and always with an
// injected ENOSPC.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>

#include "platform/io_faults.h"
#include "platform/object_store.h"
#include "platform/registry.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A 2 MiB tmpfs mounted for the test's life; `mounted` false when mounting is not permitted.
class SmallDisk {
 public:
  explicit SmallDisk(const std::filesystem::path& where) : path_(where) {
    std::filesystem::create_directory(path_);
    mounted_ = geteuid() == 0 && mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                                       "size=2m,mode=0700") == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  bool Grow() {
    return mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_NOSUID | MS_NODEV,
                 "size=16m,mode=0700") == 0;
  }
  bool MakeReadOnly() {
    return mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                 nullptr) == 0;
  }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

// Writes groups of five records until one fails; returns the keys of the groups that were
// acknowledged.
std::vector<std::uint32_t> WriteUntilFull(DatabaseHandle& db, ObjectStore& store,
                                          std::uint32_t firstKey) {
  std::vector<std::uint32_t> acknowledged;
  for (std::uint32_t key = firstKey; key < firstKey + 100000; key += 5) {
    Transaction group = store.BeginTransaction();
    bool ok = group.IsActive();
    for (std::uint32_t k = key; ok && k < key + 5; ++k) {
      ok = db.WriteRecord(0, testing::MoneyLike(k, 2000)) != 0;
    }
    if (!ok || !group.Commit()) break;
    for (std::uint32_t k = key; k < key + 5; ++k) acknowledged.push_back(k);
  }
  return acknowledged;
}

void ExpectAllStored(const std::filesystem::path& file, const std::vector<std::uint32_t>& keys,
                     std::uint32_t extra) {
  auto opened = ObjectStore::OpenVolume(file);
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  EXPECT_TRUE(opened.store->CheckIntegrity());
  DatabaseHandle db = std::move(opened.store->OpenDatabase(u"money").handle);
  for (std::uint32_t key : keys) ASSERT_EQ(db.ContainsKey(key), true) << key;
  EXPECT_EQ(db.RecordCount(), keys.size() + extra) << "no part of a failed group was kept";
}

TEST(FullDiskTest, ARealFullDiskFailsWritesAndLosesNothing) {
  TempFolder folder;
  SmallDisk disk(folder / "disk");
  if (!disk.mounted()) {
    GTEST_SKIP() << "cannot mount a tmpfs here; the injected ENOSPC test covers a full disk";
  }
  const auto file = folder / "disk" / "objectstore.db";
  const auto registryFile = folder / "disk" / "registry.reg";
  ASSERT_TRUE(testing::MakeVolume(file, 0));
  WriteBytes(registryFile, "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:00000001\n");

  auto opened = ObjectStore::OpenVolume(file);
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  ObjectStore& store = *opened.store;
  DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
  std::vector<std::uint32_t> stored = WriteUntilFull(db, store, 0);
  ASSERT_FALSE(stored.empty());
  ASSERT_LT(stored.size(), 100000u) << "the disk never filled";
  EXPECT_EQ(store.LastError(), StoreError::Full);

  Registry registry = Registry::Load(registryFile);
  auto key = registry.CreateKey(RegistryRoot::LocalMachine, u"K");
  key->SetString(u"Big", std::u16string(300000, u'x'));
  EXPECT_FALSE(key->Close());
  EXPECT_EQ(ReadBytes(registryFile), "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:00000001\n");

  ASSERT_TRUE(disk.Grow());
  ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(500000, 2000)), 0u) << "room again";
  stored.push_back(500000);
  key->SetString(u"Big", u"small now");
  EXPECT_TRUE(registry.Flush());
  db.Close();
  opened.store.reset();
  ExpectAllStored(file, stored, 0);
}

TEST(FullDiskTest, AnInjectedFullDiskFailsWritesAndLosesNothing) {
  TempFolder folder;
  const auto file = folder / "objectstore.db";
  ASSERT_TRUE(testing::MakeVolume(file, 0));
  IoFaults faults;
  auto opened = ObjectStore::OpenVolume(file, &faults);
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  ObjectStore& store = *opened.store;
  DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);

  faults.FailAfter(IoOp::Write, 120, IoFault::NoSpace);
  std::vector<std::uint32_t> stored = WriteUntilFull(db, store, 0);
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(store.LastError(), StoreError::Full);
  EXPECT_EQ(db.WriteRecord(0, testing::MoneyLike(999999)), 0u);
  EXPECT_EQ(db.LastError(), StoreError::Full);

  faults.Clear();
  ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(500000)), 0u) << "room again";
  stored.push_back(500000);
  db.Close();
  opened.store.reset();
  ExpectAllStored(file, stored, 0);
}

TEST(FullDiskTest, ANewVolumeThatDoesNotFitIsRefusedAsNoSpaceAndLeavesNothing) {
  TempFolder folder;
  SmallDisk disk(folder / "disk");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  // Fill the disk but for a few kilobytes, fewer than an empty volume takes.
  const auto filler = folder / "disk" / "filler";
  WriteBytes(filler, std::string(2 * 1024 * 1024 - 16 * 1024, 'x'));
  auto opened = ObjectStore::OpenVolume(folder / "disk" / "objectstore.db");
  EXPECT_EQ(opened.status, VolumeStatus::CreateFailed) << opened.detail;
  EXPECT_EQ(opened.problem, VolumeProblem::NoSpace) << opened.detail;
  EXPECT_EQ(testing::Listing(folder / "disk"), std::vector<std::string>{"filler"});
}

TEST(FullDiskTest, OnAReadOnlyDiskTheVolumeIsRefusedAsReadOnlyAndStillReadable) {
  TempFolder folder;
  SmallDisk disk(folder / "disk");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  const auto file = folder / "disk" / "objectstore.db";
  ASSERT_TRUE(testing::MakeVolume(file, 10));
  ASSERT_TRUE(disk.MakeReadOnly());
  auto opened = ObjectStore::OpenVolume(file);
  EXPECT_EQ(opened.status, VolumeStatus::Unreadable) << opened.detail;
  EXPECT_EQ(opened.problem, VolumeProblem::ReadOnly) << opened.detail;
  EXPECT_EQ(opened.subject, file);

  VolumeOptions readOnly;
  readOnly.readOnly = true;
  auto reader = ObjectStore::OpenVolume(file, readOnly);
  ASSERT_EQ(reader.status, VolumeStatus::Opened) << reader.detail;
  EXPECT_EQ(reader.store->OpenDatabase(u"money").handle.RecordCount(), 10u);
}

}  // namespace
}  // namespace quidora::platform

namespace quidora::platform {
namespace {

// A volume of the first version on a disk that fills up during its upgrade, at every point:
// the refusal says the disk is full and names the file, never what SQLite says when it has no
// error left to tell, and the old volume stays whole.
TEST(FullDiskTest, AnUpgradeOnAFullDiskIsRefusedAsNoSpace) {
  TempFolder folder;
  SmallDisk disk(folder / "disk");
  if (!disk.mounted() || !disk.Grow()) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::filesystem::path file = folder / "disk" / "objectstore.db";
  // Larger than the page cache, so that the upgrade's writes reach the log before its commit.
  ASSERT_TRUE(testing::MakeVolume(file, 40000));
  if (!testing::MakeFirstVersionVolume(file)) {
    GTEST_SKIP() << "the sqlite3 program is not installed";
  }
  for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
  const std::string original = ReadBytes(file);
  VolumeOptions options;
  options.sortOrders.push_back({u"money", MakePropId(1, kTypeUi4)});
  bool upgraded = false;
  for (std::size_t room = 0; room <= 8 * 1024 * 1024 && !upgraded; room += 1024 * 1024) {
    {
      std::ofstream filler(folder / "disk" / "filler", std::ios::binary);
      const std::string block(4096, 'x');
      while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
      }
    }
    std::filesystem::resize_file(folder / "disk" / "filler",
                                 std::filesystem::file_size(folder / "disk" / "filler") - room);
    auto opened = ObjectStore::OpenVolume(file, options);
    upgraded = opened.status == VolumeStatus::Opened;
    if (!upgraded) {
      EXPECT_EQ(opened.problem, VolumeProblem::NoSpace) << room << ": " << opened.detail;
      EXPECT_EQ(opened.detail.find("not an error"), std::string::npos) << opened.detail;
      EXPECT_EQ(opened.subject, file) << opened.detail;
      EXPECT_EQ(ReadBytes(file), original);
    }
    opened.store.reset();
    std::filesystem::remove(folder / "disk" / "filler");
  }
}

}  // namespace
}  // namespace quidora::platform
