// Volumes across versions and runs: a volume of the first version is read as it is when opened
// read-only and upgraded whole or not at all when opened for writing; the whole-file check runs
// only after a run that changed the volume did not end cleanly; a reader changes nothing.
#include <gtest/gtest.h>

#include "platform/io_faults.h"
#include "platform/object_store.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::Listing;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr PropId kAccount = MakePropId(1, kTypeUi4);

VolumeOptions WantingAccountOrder(IoFaults* faults = nullptr) {
  VolumeOptions options;
  options.sortOrders.push_back({u"money", kAccount});
  options.faults = faults;
  return options;
}

VolumeOptions ReadOnly() {
  VolumeOptions options;
  options.readOnly = true;
  return options;
}

// Every record of "money" in key order, as stored bytes.
std::vector<std::vector<std::uint8_t>> Contents(ObjectStore& store) {
  std::vector<std::vector<std::uint8_t>> contents;
  DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
  Record record;
  while (db.ReadRecord(record) != 0) {
    contents.emplace_back();
    EncodeRecord(record, contents.back());
  }
  EXPECT_EQ(db.LastError(), StoreError::NotFound);
  return contents;
}

class VolumeVersionsTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return folder_ / "objectstore.db"; }

  // A first-version volume with `count` records over accounts 7 and 8, and what it holds.
  void MakeFirstVersion(std::uint32_t count) {
    ASSERT_TRUE(testing::MakeVolume(file(), count));
    {
      auto opened = ObjectStore::OpenVolume(file());
      DatabaseHandle db = std::move(opened.store->OpenDatabase(u"money").handle);
      ASSERT_NE(
          db.WriteRecord(0, Record{PropValue::Ui4(kKeyPropId, 5), PropValue::Ui4(kAccount, 8)}),
          0u);
      expected_ = Contents(*opened.store);
    }
    if (!testing::MakeFirstVersionVolume(file())) {
      GTEST_SKIP() << "the sqlite3 program is not installed";
    }
  }

  TempFolder folder_;
  std::vector<std::vector<std::uint8_t>> expected_;
};

TEST_F(VolumeVersionsTest, AFirstVersionVolumeIsReadAsItIsAndUpgradedWhenOpenedForWriting) {
  MakeFirstVersion(300);
  if (IsSkipped()) return;
  const std::string bytes = ReadBytes(file());
  {
    auto reader = ObjectStore::OpenVolume(file(), ReadOnly());
    ASSERT_EQ(reader.status, VolumeStatus::Opened) << reader.detail;
    EXPECT_TRUE(reader.store->IsReadOnly());
    EXPECT_EQ(Contents(*reader.store), expected_);
    EXPECT_EQ(reader.store->OpenDatabase(u"money", kAccount).status, OpenStatus::Failed)
        << "no second order before the upgrade";
    DatabaseHandle db = std::move(reader.store->OpenDatabase(u"money").handle);
    EXPECT_EQ(db.WriteRecord(0, testing::MoneyLike(999)), 0u);
    EXPECT_EQ(db.LastError(), StoreError::Misuse);
  }
  EXPECT_EQ(ReadBytes(file()), bytes) << "a reader changes nothing";

  auto opened = ObjectStore::OpenVolume(file(), WantingAccountOrder());
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  EXPECT_EQ(Contents(*opened.store), expected_);
  const Oid money = opened.store->OpenDatabase(u"money").oid;
  EXPECT_EQ(opened.store->GetDatabaseInfo(money)->moreSortOrders, std::vector<PropId>{kAccount});
  EXPECT_TRUE(opened.store->CheckIntegrity()) << "the order and the key runs were built whole";
  DatabaseHandle byAccount = std::move(opened.store->OpenDatabase(u"money", kAccount).handle);
  Record record;
  ASSERT_NE(byAccount.SeekFirstEqual(8), 0u);
  ASSERT_NE(byAccount.ReadRecordEqual(8, record), 0u);
  EXPECT_EQ(SortKeyOf(record).value, 5u);
  EXPECT_EQ(byAccount.ReadRecordEqual(8, record), 0u);
  EXPECT_EQ(byAccount.FirstFreeKey(0, 0xFFFFFFFE), 300u);

  // Read-only, the upgraded volume reads the same, its order included.
  opened.store.reset();
  auto reader = ObjectStore::OpenVolume(file(), ReadOnly());
  ASSERT_EQ(reader.status, VolumeStatus::Opened) << reader.detail;
  EXPECT_EQ(Contents(*reader.store), expected_);
  EXPECT_EQ(reader.store->OpenDatabase(u"money", kAccount).status, OpenStatus::Opened);
}

// Each operation of the upgrade fails in turn, as a full disk or a failing sync would make it:
// the volume is then the old one, whole, or (when only the last sync failed) the new one.
TEST_F(VolumeVersionsTest, AnUpgradeThatFailsLeavesTheOldVolumeWhole) {
  MakeFirstVersion(2000);
  if (IsSkipped()) return;
  for (const auto& [op, fault] :
       {std::pair{IoOp::Write, IoFault::NoSpace}, std::pair{IoOp::Sync, IoFault::IoError}}) {
    const std::string original = ReadBytes(file());
    bool upgraded = false;
    for (int successes = 0; successes < 400 && !upgraded; successes += 7) {
      IoFaults faults;
      faults.FailAfter(op, successes, fault);
      auto opened = ObjectStore::OpenVolume(file(), WantingAccountOrder(&faults));
      upgraded = opened.status == VolumeStatus::Opened;
      if (!upgraded) {
        EXPECT_EQ(opened.status, VolumeStatus::UpgradeFailed) << opened.detail;
        // The reason the system gave, not a code read after SQLite cleared it.
        EXPECT_EQ(opened.detail.find("not an error"), std::string::npos) << opened.detail;
        if (fault == IoFault::NoSpace) {
          EXPECT_EQ(opened.problem, VolumeProblem::NoSpace) << opened.detail;
          EXPECT_NE(opened.detail.find("full"), std::string::npos) << opened.detail;
        }
      }
      opened.store.reset();
      auto reader = ObjectStore::OpenVolume(file(), ReadOnly());
      ASSERT_EQ(reader.status, VolumeStatus::Opened) << reader.detail;
      ASSERT_EQ(Contents(*reader.store), expected_) << "after " << successes << " operations";
      const bool isNew =
          reader.store->OpenDatabase(u"money", kAccount).status == OpenStatus::Opened;
      if (!upgraded && isNew) {
        EXPECT_EQ(op, IoOp::Sync) << "only a failed last sync may have stored the upgrade";
      }
      if (isNew) upgraded = true;
    }
    ASSERT_TRUE(upgraded);
    auto opened = ObjectStore::OpenVolume(file(), WantingAccountOrder());
    ASSERT_EQ(opened.status, VolumeStatus::Opened);
    EXPECT_TRUE(opened.store->CheckIntegrity());
    opened.store.reset();
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(file().string() + suffix);
    WriteBytes(file(), original);
  }
}

TEST_F(VolumeVersionsTest, TheWholeFileCheckRunsOnlyAfterARunThatChangedTheVolumeEndedUncleanly) {
  ASSERT_TRUE(testing::MakeVolume(file(), 2000));
  const auto detailOfOpen = [&] {
    auto opened = ObjectStore::OpenVolume(file());
    EXPECT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
    return opened;
  };
  EXPECT_EQ(detailOfOpen().detail, "ok") << "the writer of the volume never ended cleanly";
  {
    auto opened = detailOfOpen();
    ASSERT_TRUE(opened.store->MarkCleanEnd());
  }
  EXPECT_EQ(detailOfOpen().detail, "ok (after a clean end)");
  EXPECT_EQ(detailOfOpen().detail, "ok (after a clean end)") << "a run that only read";
  {
    auto opened = detailOfOpen();
    ASSERT_NE(opened.store->OpenDatabase(u"money").handle.WriteRecord(0, testing::MoneyLike(77)),
              0u);
    // The run ends without the mark, as a killed program does.
  }
  EXPECT_EQ(detailOfOpen().detail, "ok");

  // Damage after a clean end is not looked for at the start; SQLite reports it on reading, and
  // opening and reading change nothing. (The tables read at the start sit in the first pages,
  // the records' leaves in the later ones.)
  {
    auto opened = detailOfOpen();
    ASSERT_TRUE(opened.store->MarkCleanEnd());
  }
  std::string damaged = ReadBytes(file());
  ASSERT_GT(damaged.size(), 100000u);
  for (std::size_t i = damaged.size() / 2; i < damaged.size(); i += 7) {
    damaged[i] = static_cast<char>(i);
  }
  WriteBytes(file(), damaged);
  auto opened = ObjectStore::OpenVolume(file());
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  DatabaseHandle db = std::move(opened.store->OpenDatabase(u"money").handle);
  Record record;
  int read = 0;
  while (db.ReadRecord(record) != 0) ++read;
  EXPECT_NE(db.LastError(), StoreError::NotFound) << "all " << read << " records read";
  db.Close();
  opened.store.reset();
  EXPECT_EQ(ReadBytes(file()), damaged);
}

TEST_F(VolumeVersionsTest, AReaderSeesWhatAWriterCommitsAndChangesNothing) {
  auto missing = ObjectStore::OpenVolume(file(), ReadOnly());
  EXPECT_EQ(missing.status, VolumeStatus::Missing);
  EXPECT_EQ(missing.problem, VolumeProblem::Missing);
  EXPECT_TRUE(Listing(folder_.path()).empty()) << "a reader creates no volume";

  auto writer = ObjectStore::OpenVolume(file(), WantingAccountOrder());
  ASSERT_EQ(writer.status, VolumeStatus::Created);
  const PropId orders[] = {kAccount};
  ASSERT_NE(writer.store->CreateDatabase(u"money", 0, kKeyPropId, orders), 0u);
  DatabaseHandle db = std::move(writer.store->OpenDatabase(u"money").handle);
  ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(1)), 0u);

  auto reader = ObjectStore::OpenVolume(file(), ReadOnly());
  ASSERT_EQ(reader.status, VolumeStatus::Opened) << reader.detail;
  EXPECT_EQ(Contents(*reader.store).size(), 1u);
  ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(2)), 0u);
  EXPECT_EQ(Contents(*reader.store).size(), 2u) << "a new read sees the writer's commit";
  EXPECT_EQ(reader.store->CreateDatabase(u"other"), 0u);
  EXPECT_FALSE(reader.store->MarkCleanEnd());
  EXPECT_FALSE(reader.store->BeginTransaction().IsActive());
  ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(3)), 0u) << "the reader holds no lock";
}

}  // namespace
}  // namespace quidora::platform
