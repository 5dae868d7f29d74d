// Work over many records stored all or nothing.
#include <gtest/gtest.h>

#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

namespace layout = store;

class BatchTest : public StoreTest {
 protected:
  void SetUp() override {
    Open();
    cash_ = MakeAccount(u"Cash");
    AddAccount(cash_);
    for (int i = 0; i < 6; ++i) {
      MoneyRecord record = MakeMoney(cash_.key, i % 2 == 0 ? u"Food" : u"Rent", 100 + i);
      keys_.push_back(AddMoney(record));
    }
  }

  // The rename of a category applied to money records, as the categories dialog does it.
  void RenameFood(int stopAfter = -1) {
    ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, ui_));
    int done = 0;
    for (MoneyRecord& record : money_) {
      if (record.Category() != u"Food") continue;
      if (done++ == stopAfter) return;
      record.SetCategory(u"Groceries");
      UpdateMoneyRecord(*store_, record, ui_);
    }
  }

  int CountStored(std::u16string_view category) {
    MoneyList all;
    EXPECT_TRUE(LoadAllMoneyRecords(*store_, all, ui_));
    int count = 0;
    for (const MoneyRecord& record : all) count += record.Category() == category ? 1 : 0;
    return count;
  }

  AccountRecord cash_;
  std::vector<std::uint32_t> keys_;
};

TEST_F(BatchTest, CommittedBatchStoresEveryChange) {
  {
    StoreBatch batch(*store_, StringId::EditError, layout::kMoneyDatabaseName);
    RenameFood();
    ASSERT_TRUE(batch.Commit(ui_));
  }
  Restart();
  Open();
  EXPECT_EQ(CountStored(u"Groceries"), 3);
  EXPECT_EQ(CountStored(u"Food"), 0);
}

TEST_F(BatchTest, BatchEndedWithoutCommitStoresNothing) {
  {
    StoreBatch batch(*store_, StringId::EditError, layout::kMoneyDatabaseName);
    RenameFood(2);  // interrupted half-way
    EXPECT_TRUE(DeleteMoneyRecord(*store_, keys_[1], ui_));
  }
  EXPECT_FALSE(store_->InBatch());
  EXPECT_EQ(CountStored(u"Food"), 3);
  EXPECT_EQ(StoredKeys(Volume(), layout::kMoneyDatabaseName).size(), 6u);
}

TEST_F(BatchTest, ChangesInsideABatchAreSeenByLaterOperationsOfIt) {
  StoreBatch batch(*store_, StringId::DeleteError, layout::kMoneyDatabaseName);
  ASSERT_TRUE(DeleteMoneyRecord(*store_, keys_[0], ui_));
  EXPECT_FALSE(DeleteMoneyRecord(*store_, keys_[0], ui_));  // already gone: silent false
  MoneyRecord added = MakeMoney(cash_.key, u"Food", 1);
  const std::uint32_t key = AddMoney(added);
  EXPECT_EQ(key, keys_[0]);  // its key is free again inside the batch
  ASSERT_TRUE(batch.Commit(ui_));
  EXPECT_TRUE(ui_.log.empty());
}

TEST_F(BatchTest, FirstFailureIsReportedOnceAndNothingIsStored) {
  ASSERT_TRUE(DeleteEmptyAccountsDatabase(*store_, AccountList()));  // accounts now unreachable
  StoreBatch batch(*store_, StringId::DeleteError, layout::kMoneyDatabaseName);
  EXPECT_TRUE(DeleteMoneyRecord(*store_, keys_[0], ui_));
  ui_.Expect(u"Error during deleting record in database: Vesko QuidbookAccs");
  EXPECT_FALSE(DeleteAccountRecord(*store_, cash_.key, ui_));
  EXPECT_TRUE(store_->BatchBroken());
  // Later operations neither write nor report.
  EXPECT_FALSE(DeleteMoneyRecord(*store_, keys_[1], ui_));
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 1);
  std::uint32_t key = 0;
  EXPECT_FALSE(AddMoneyRecord(*store_, record, key, ui_));
  EXPECT_FALSE(batch.Commit(ui_));
  EXPECT_EQ(ui_.log.size(), 1u);
  EXPECT_FALSE(store_->BatchBroken());
  EXPECT_EQ(StoredKeys(Volume(), layout::kMoneyDatabaseName), keys_);
}

TEST_F(BatchTest, NestedAccountDeletionJoinsTheOuterBatch) {
  {
    StoreBatch outer(*store_, StringId::DeleteError, layout::kMoneyDatabaseName);
    ASSERT_TRUE(DeleteAccountMoneyRecords(*store_, cash_.key, ui_));
    ASSERT_TRUE(DeleteAccountRecord(*store_, cash_.key, ui_));
    // Dropped with the outer batch.
  }
  EXPECT_EQ(StoredKeys(Volume(), layout::kMoneyDatabaseName).size(), 6u);
  EXPECT_EQ(StoredKeys(Volume(), layout::kAccountsDatabaseName).size(), 1u);
  {
    StoreBatch outer(*store_, StringId::DeleteError, layout::kMoneyDatabaseName);
    ASSERT_TRUE(DeleteAccountMoneyRecords(*store_, cash_.key, ui_));
    ASSERT_TRUE(outer.Commit(ui_));
  }
  EXPECT_TRUE(StoredKeys(Volume(), layout::kMoneyDatabaseName).empty());
}

}  // namespace
}  // namespace quidora::testing
