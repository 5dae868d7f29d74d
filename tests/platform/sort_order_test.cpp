// Second sort orders and free keys: after any mix of writes, reading one value through the
// order gives exactly the records a full read in key order would keep, and the first free key
// is the one a key-by-key search would find.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "platform/object_store.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::TempFolder;

constexpr PropId kAccount = MakePropId(1, kTypeUi4);
constexpr PropId kName = MakePropId(7, kTypeLpwstr);
constexpr std::uint32_t kLastKey = 0xFFFFFFFE;

class SortOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = ObjectStore::OpenVolume(folder_ / "objectstore.db");
    ASSERT_EQ(opened.status, VolumeStatus::Created) << opened.detail;
    store_ = std::move(opened.store);
    const PropId orders[] = {kAccount};
    ASSERT_NE(store_->CreateDatabase(u"money", 0, kKeyPropId, orders), 0u);
    db_ = std::move(store_->OpenDatabase(u"money").handle);
    byAccount_ = std::move(store_->OpenDatabase(u"money", kAccount).handle);
    ASSERT_TRUE(byAccount_.IsOpen());
  }

  // Object identifiers in the order of a full read, with the record's last account value
  // (nullopt without one).
  std::vector<std::pair<Oid, std::optional<std::uint32_t>>> FullRead() {
    DatabaseHandle all = std::move(store_->OpenDatabase(u"money").handle);
    std::vector<std::pair<Oid, std::optional<std::uint32_t>>> read;
    Record record;
    while (true) {
      const Oid oid = all.ReadRecord(record);
      if (oid == 0) break;
      const SortKey account = LastValueOf(record, kAccount);
      read.emplace_back(oid, account.present ? std::optional(account.value) : std::nullopt);
    }
    EXPECT_EQ(all.LastError(), StoreError::NotFound);
    return read;
  }

  std::vector<Oid> ThroughOrder(std::uint32_t account) {
    std::vector<Oid> read;
    Record record;
    if (byAccount_.SeekFirstEqual(account) == 0) {
      EXPECT_EQ(byAccount_.LastError(), StoreError::NotFound);
      return read;
    }
    while (const Oid oid = byAccount_.ReadRecordEqual(account, record)) read.push_back(oid);
    EXPECT_EQ(byAccount_.LastError(), StoreError::NotFound);
    return read;
  }

  std::set<std::uint32_t> StoredKeys() {
    std::set<std::uint32_t> keys;
    DatabaseHandle all = std::move(store_->OpenDatabase(u"money").handle);
    Record record;
    while (all.ReadRecord(record) != 0) {
      if (const SortKey key = SortKeyOf(record); key.present) keys.insert(key.value);
    }
    return keys;
  }

  TempFolder folder_;
  std::unique_ptr<ObjectStore> store_;
  DatabaseHandle db_;
  DatabaseHandle byAccount_;
};

std::uint32_t Below(std::mt19937& random, std::uint32_t bound) {
  return static_cast<std::uint32_t>(random() % bound);
}

// Keys crowd into a small range and the top of the key space, so runs join, split and wrap.
Record RandomRecord(std::mt19937& random) {
  Record record;
  const std::uint32_t pick = Below(random, 20);
  if (pick != 0) {
    const std::uint32_t key = pick == 1 ? kLastKey + Below(random, 2) : Below(random, 60);
    record.push_back(PropValue::Ui4(kKeyPropId, key));
  }
  const std::uint32_t accounts = Below(random, 8) == 0 ? 2 : Below(random, 10) == 0 ? 0 : 1;
  for (std::uint32_t i = 0; i < accounts; ++i) {
    record.push_back(PropValue::Ui4(kAccount, 1 + Below(random, 3)));
  }
  record.push_back(PropValue::Text(kName, u"r"));
  return record;
}

TEST_F(SortOrderTest, TheOrderAndTheFreeKeysFollowEveryKindOfWrite) {
  const unsigned seed = std::random_device()();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::vector<Oid> oids;
  for (int step = 1; step <= 600; ++step) {
    const std::uint32_t op = Below(random, 10);
    if (op < 5 || oids.empty()) {
      const Oid oid = db_.WriteRecord(0, RandomRecord(random));
      ASSERT_NE(oid, 0u);
      oids.push_back(oid);
    } else if (op < 7) {
      // Over a stored record: the key and the account value may both change.
      const Oid over = oids[Below(random, static_cast<std::uint32_t>(oids.size()))];
      ASSERT_NE(db_.WriteRecord(over, RandomRecord(random)), 0u);
    } else if (op < 9) {
      const std::size_t at = Below(random, static_cast<std::uint32_t>(oids.size()));
      ASSERT_TRUE(db_.DeleteRecord(oids[at]));
      oids.erase(oids.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
      // A group that is given up changes neither the records nor the order nor the keys.
      Transaction group = store_->BeginTransaction();
      for (int i = 0; i < 3; ++i) db_.WriteRecord(0, RandomRecord(random));
      if (!oids.empty()) db_.DeleteRecord(oids.front());
      group.Rollback();
    }
    if (step % 50 != 0) continue;

    const auto full = FullRead();
    ASSERT_EQ(full.size(), oids.size());
    for (std::uint32_t account = 0; account <= 4; ++account) {
      std::vector<Oid> expected;
      for (const auto& [oid, value] : full) {
        if (value == account) expected.push_back(oid);
      }
      EXPECT_EQ(ThroughOrder(account), expected) << "account " << account << ", step " << step;
    }
    const std::set<std::uint32_t> keys = StoredKeys();
    for (std::uint32_t start :
         {0u, 1u, 17u, 30u, 59u, 60u, 4000u, kLastKey - 1, kLastKey, 0xFFFFFFFFu}) {
      std::optional<std::uint32_t> expected;
      for (std::uint64_t k = start; k <= kLastKey && !expected; ++k) {
        if (!keys.contains(static_cast<std::uint32_t>(k))) expected = static_cast<std::uint32_t>(k);
      }
      for (std::uint32_t k = 0; k < start && k <= kLastKey && !expected; ++k) {
        if (!keys.contains(k)) expected = k;
      }
      EXPECT_EQ(db_.FirstFreeKey(start, kLastKey), expected) << "from " << start;
    }
    ASSERT_TRUE(store_->CheckIntegrity()) << "step " << step;
  }
}

TEST_F(SortOrderTest, ReadingStopsAtTheNextValueAndSeeksWorkInTheOrder) {
  const auto write = [&](std::uint32_t key, std::optional<std::uint32_t> account) {
    Record record = {PropValue::Ui4(kKeyPropId, key)};
    if (account) record.push_back(PropValue::Ui4(kAccount, *account));
    return db_.WriteRecord(0, record);
  };
  const Oid a9 = write(9, 1);
  const Oid b3 = write(3, 2);
  const Oid a5 = write(5, 1);
  const Oid none = write(1, std::nullopt);
  const Oid b8 = write(8, 2);

  Record record;
  ASSERT_EQ(byAccount_.SeekFirstEqual(1), a5);
  EXPECT_EQ(byAccount_.ReadRecordEqual(1, record), a5);
  EXPECT_EQ(byAccount_.ReadRecordEqual(1, record), a9);
  EXPECT_EQ(byAccount_.ReadRecordEqual(1, record), 0u) << "the next record is account 2's";
  EXPECT_EQ(byAccount_.LastError(), StoreError::NotFound);
  EXPECT_EQ(byAccount_.ReadRecord(record), b3) << "the position stayed before it";
  EXPECT_EQ(byAccount_.ReadRecord(record), b8);
  EXPECT_EQ(byAccount_.ReadRecord(record), none) << "records without the property come last";
  EXPECT_EQ(byAccount_.ReadRecord(record), 0u);

  EXPECT_EQ(byAccount_.SeekToRecord(a9), a9);
  EXPECT_EQ(byAccount_.ReadRecord(record), a9);
  EXPECT_EQ(byAccount_.ReadRecord(record), b3);
  EXPECT_EQ(byAccount_.SeekFirstEqual(3), 0u);
  EXPECT_EQ(byAccount_.HoldsUndecodable(), false);
  EXPECT_FALSE(db_.HoldsUndecodable().has_value()) << "the key order has no such group";

  EXPECT_EQ(store_->OpenDatabase(u"money", MakePropId(2, kTypeUi4)).status, OpenStatus::Failed);
  EXPECT_EQ(store_->LastError(), StoreError::Misuse);
  const PropId textOrder[] = {MakePropId(2, kTypeLpwstr)};
  EXPECT_EQ(store_->CreateDatabase(u"texts", 0, kKeyPropId, textOrder), 0u)
      << "only numbers can be a sort order";
  const auto info = store_->GetDatabaseInfo(db_.DatabaseOid());
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->moreSortOrders, std::vector<PropId>{kAccount});
}

TEST_F(SortOrderTest, AnUndecodableRecordIsPassedOverAndCanStillBeDeleted) {
  const Oid first =
      db_.WriteRecord(0, Record{PropValue::Ui4(kKeyPropId, 1), PropValue::Ui4(kAccount, 4)});
  const Oid broken =
      db_.WriteRecord(0, Record{PropValue::Ui4(kKeyPropId, 2), PropValue::Ui4(kAccount, 4)});
  const Oid last =
      db_.WriteRecord(0, Record{PropValue::Ui4(kKeyPropId, 3), PropValue::Ui4(kAccount, 4)});
  db_.Close();
  byAccount_.Close();
  store_.reset();
  // The record as it is stored, in both places, cut short: a count of one property and nothing.
  const std::string oid = std::to_string(broken);
  if (!testing::RunSqliteProgram(
          folder_ / "objectstore.db",
          "UPDATE records SET props = x'01' WHERE oid = " + oid +
              "; UPDATE ordered_records SET props = x'01' WHERE oid = " + oid + ";")) {
    GTEST_SKIP() << "the sqlite3 program is not installed";
  }
  store_ = std::move(ObjectStore::OpenVolume(folder_ / "objectstore.db").store);
  ASSERT_NE(store_, nullptr);
  for (PropId order : {kKeyPropId, kAccount}) {
    DatabaseHandle handle = std::move(store_->OpenDatabase(u"money", order).handle);
    Record record;
    EXPECT_EQ(handle.ReadRecord(record), first);
    EXPECT_EQ(handle.ReadRecord(record), 0u);
    EXPECT_EQ(handle.LastError(), StoreError::Undecodable);
    EXPECT_EQ(handle.ReadRecord(record), last) << "the read goes on after it";
    EXPECT_EQ(handle.ReadRecord(record), 0u);
    EXPECT_EQ(handle.LastError(), StoreError::NotFound);
  }
  DatabaseHandle db = std::move(store_->OpenDatabase(u"money").handle);
  EXPECT_EQ(db.WriteRecord(broken, Record{PropValue::Ui4(kKeyPropId, 2)}), 0u);
  EXPECT_EQ(db.LastError(), StoreError::Undecodable) << "nothing to merge the write with";
  EXPECT_TRUE(db.DeleteRecord(broken));
  EXPECT_EQ(db.FirstFreeKey(1, kLastKey), 2u);
  EXPECT_TRUE(store_->CheckIntegrity());
}

}  // namespace
}  // namespace quidora::platform
