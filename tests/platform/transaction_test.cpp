#include <gtest/gtest.h>

#include "platform/object_store.h"
#include "temp_folder.h"

namespace quidora::platform {
namespace {

using testing::TempFolder;

Record Keyed(std::uint32_t key) {
  return {PropValue::Ui4(kKeyPropId, key)};
}

class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = ObjectStore::OpenVolume(folder_ / "objectstore.db");
    ASSERT_TRUE(opened.store) << opened.detail;
    store_ = std::move(opened.store);
    store_->CreateDatabase(u"money");
    db_ = std::move(store_->OpenDatabase(u"money").handle);
  }

  // What a fresh connection sees: only what is committed.
  std::uint32_t CommittedCount() {
    auto other = ObjectStore::OpenVolume(folder_ / "objectstore.db");
    if (!other.store) return 9999;
    return other.store->OpenDatabase(u"money").handle.RecordCount().value_or(9999);
  }

  TempFolder folder_;
  std::unique_ptr<ObjectStore> store_;
  DatabaseHandle db_;
};

TEST_F(TransactionTest, AGroupIsStoredOnlyAtCommit) {
  Transaction group = store_->BeginTransaction();
  ASSERT_TRUE(group.IsActive());
  for (std::uint32_t key = 0; key < 20; ++key) ASSERT_NE(db_.WriteRecord(0, Keyed(key)), 0u);
  EXPECT_EQ(db_.RecordCount(), 20u) << "the group sees its own writes";
  EXPECT_EQ(CommittedCount(), 0u);
  EXPECT_TRUE(group.Commit());
  EXPECT_FALSE(group.IsActive());
  EXPECT_EQ(CommittedCount(), 20u);
  EXPECT_FALSE(group.Commit()) << "a scope commits once";
}

TEST_F(TransactionTest, RollbackAndAnAbandonedScopeUndoEverything) {
  db_.WriteRecord(0, Keyed(1));
  {
    Transaction group = store_->BeginTransaction();
    db_.WriteRecord(0, Keyed(2));
    ASSERT_NE(db_.SeekFirstEqual(1), 0u);
    db_.DeleteRecord(db_.SeekFirstEqual(1));
  }
  EXPECT_EQ(db_.RecordCount(), 1u);
  EXPECT_EQ(db_.ContainsKey(1), true);

  Transaction group = store_->BeginTransaction();
  const Oid made = store_->CreateDatabase(u"accounts");
  EXPECT_NE(made, 0u);
  group.Rollback();
  EXPECT_EQ(store_->OpenDatabase(u"accounts").status, OpenStatus::NotFound);
  EXPECT_FALSE(group.Commit());
}

TEST_F(TransactionTest, InnerScopesAreSavepointsOfTheOuterOne) {
  Transaction outer = store_->BeginTransaction();
  db_.WriteRecord(0, Keyed(1));
  {
    Transaction inner = store_->BeginTransaction();
    ASSERT_TRUE(inner.IsActive());
    db_.WriteRecord(0, Keyed(2));
    inner.Rollback();
  }
  {
    Transaction inner = store_->BeginTransaction();
    db_.WriteRecord(0, Keyed(3));
    EXPECT_TRUE(inner.Commit());
  }
  EXPECT_EQ(CommittedCount(), 0u) << "an inner commit is not yet durable";
  EXPECT_TRUE(outer.Commit());
  EXPECT_EQ(CommittedCount(), 2u);
  EXPECT_EQ(db_.ContainsKey(2), false);
  EXPECT_EQ(db_.ContainsKey(3), true);
}

TEST_F(TransactionTest, ScopesEndedOutOfOrderAreRefused) {
  Transaction outer = store_->BeginTransaction();
  Transaction inner = store_->BeginTransaction();
  db_.WriteRecord(0, Keyed(1));
  EXPECT_FALSE(outer.Commit()) << "the inner scope is still open";
  EXPECT_EQ(store_->LastError(), StoreError::Misuse);
  EXPECT_TRUE(inner.Commit());
  // The refused commit left the outer scope open; ending it without a commit undoes the group.
  outer = Transaction();
  EXPECT_EQ(CommittedCount(), 0u);
}

TEST_F(TransactionTest, KeysAreFoundInsideAGroupSoClockKeysCanBeMovedOn) {
  Transaction group = store_->BeginTransaction();
  std::uint32_t key = 623211;
  for (int i = 0; i < 5; ++i) {
    std::uint32_t candidate = key;
    while (db_.ContainsKey(candidate) == true) ++candidate;
    ASSERT_NE(db_.WriteRecord(0, Keyed(candidate)), 0u);
  }
  ASSERT_TRUE(group.Commit());
  for (std::uint32_t k = key; k < key + 5; ++k) EXPECT_EQ(db_.ContainsKey(k), true) << k;
}

}  // namespace
}  // namespace quidora::platform
