// Adds, updates and deletes by key, the categories rewrite, an account's money records and the
// tidying at shutdown.
#include <gtest/gtest.h>

#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_keys.h"
#include "store/record_writes.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

using platform::PropValue;
namespace layout = store;

class RecordWritesTest : public StoreTest {
 protected:
  void SetUp() override {
    Open();
    cash_ = MakeAccount(u"Cash");
    AddAccount(cash_);
    current_.CopyFrom(cash_);
  }

  std::vector<platform::Record> Stored(std::u16string_view database) {
    return StoredRecords(Volume(), database);
  }

  AccountRecord cash_;
};

TEST(ClockKeyTest, DigitsOfDayHourMinuteSecondWithoutLeadingZeros) {
  EXPECT_EQ(ClockKey(UtcTime(6, 23, 21, 1)), 623211u);
  EXPECT_EQ(ClockKey(UtcTime(1, 0, 0, 0)), 1000u);
  EXPECT_EQ(ClockKey(UtcTime(31, 23, 59, 59)), 31235959u);
  // Different times, same digits.
  EXPECT_EQ(ClockKey(UtcTime(1, 12, 3, 4)), ClockKey(UtcTime(11, 2, 3, 4)));
}

TEST_F(RecordWritesTest, AddWritesAllNinePropertiesInOrder) {
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 875, {2005, 10, 3, 29, 13, 14, 15, 16}, 0);
  record.key = 7;  // ignored: a new record always gets a clock key
  const std::uint32_t key = AddMoney(record);
  EXPECT_EQ(key, 623211u);
  namespace m = layout::money;
  const platform::Record expected{
      PropValue::Ui4(m::kKey, 623211),   PropValue::Ui4(m::kAccountKey, cash_.key),
      PropValue::Ui4(m::kDay, 29),       PropValue::Ui4(m::kMonth, 10),
      PropValue::Ui4(m::kYear, 2005),    PropValue::Ui4(m::kAmount, 875),
      PropValue::Ui4(m::kType, 0),       PropValue::Text(m::kCategory, u"Food"),
      PropValue::Text(m::kMemo, u"memo")};
  const auto stored = Stored(layout::kMoneyDatabaseName);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0], expected);

  namespace a = layout::account;
  AccountRecord nameless;
  nameless.Reset();
  nameless.SetDate({2007, 3, 0, 5, 0, 0, 0, 0});
  std::uint32_t accountKey = 0;
  clock_.Set(UtcTime(1, 0, 0, 0));
  ASSERT_TRUE(AddAccountRecord(*store_, nameless, accountKey, ui_));
  const platform::Record expectedAccount{
      PropValue::Ui4(a::kKey, 1000),   PropValue::Ui4(a::kDay, 5),
      PropValue::Ui4(a::kMonth, 3),    PropValue::Ui4(a::kYear, 2007),
      PropValue::Text(a::kName, u" "), PropValue::Text(a::kDescription, u" ")};
  EXPECT_EQ(Stored(layout::kAccountsDatabaseName).front(), expectedAccount);
}

TEST_F(RecordWritesTest, ClockKeysThatAreTakenMoveOnUntilFree) {
  // Three adds in one second, then a time whose digits equal an earlier one.
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 100);
  std::vector<std::uint32_t> keys;
  for (int i = 0; i < 3; ++i) keys.push_back(AddMoney(record));
  EXPECT_EQ(keys, (std::vector<std::uint32_t>{623211, 623212, 623213}));
  clock_.Set(UtcTime(1, 12, 3, 4));
  const std::uint32_t first = AddMoney(record);
  clock_.Set(UtcTime(11, 2, 3, 4));
  const std::uint32_t second = AddMoney(record);
  EXPECT_EQ(first, 11234u);
  EXPECT_EQ(second, 11235u);
  // Keys are unique per database: the account added in the first second took 623211 too.
  EXPECT_EQ(cash_.key, 623211u);

  // Each key finds its own record again.
  record.key = keys[1];
  record.amount = 555;
  ASSERT_TRUE(UpdateMoneyRecord(*store_, record, ui_));
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, ui_));
  for (const MoneyRecord& loaded : money_) {
    EXPECT_EQ(loaded.amount, loaded.key == keys[1] ? 555 : 100) << loaded.key;
  }
}

TEST_F(RecordWritesTest, RestoredRecordGetsANewKey) {
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 100);
  const std::uint32_t oldKey = AddMoney(record);
  ASSERT_TRUE(DeleteMoneyRecord(*store_, oldKey, ui_));
  clock_.Set(UtcTime(7, 8, 9, 10));
  const std::uint32_t newKey = AddMoney(record);  // record.key still holds the old key
  EXPECT_EQ(newKey, 78910u);
  EXPECT_EQ(StoredKeys(Volume(), layout::kMoneyDatabaseName), std::vector<std::uint32_t>{newKey});
}

TEST_F(RecordWritesTest, UpdateRewritesTheWholeRecordFoundByKey) {
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 100);
  AddMoney(record);
  MoneyRecord other = MakeMoney(cash_.key, u"Rent", 900);
  AddMoney(other);
  record.SetCategory(u"Fuel");
  record.amount = 4200;
  record.type = 0;
  record.SetDate({2011, 2, 0, 3, 0, 0, 0, 0});
  ASSERT_TRUE(UpdateMoneyRecord(*store_, record, ui_));
  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 2u);
  EXPECT_EQ(money_[0].Category(), u"Fuel");
  EXPECT_EQ(money_[0].amount, 4200);
  EXPECT_EQ(money_[0].type, 0u);
  EXPECT_EQ(money_[0].DateNumber(), 20110203u);
  EXPECT_EQ(money_[1].Category(), u"Rent");

  AccountRecord renamed;
  renamed.CopyFrom(cash_);
  renamed.SetName(u"Wallet");
  ASSERT_TRUE(UpdateAccountRecord(*store_, renamed, ui_));
  Restart();
  Open();
  ASSERT_EQ(accounts_.size(), 1u);
  EXPECT_EQ(accounts_[0].Name(), u"Wallet");
}

TEST_F(RecordWritesTest, UpdateOrDeleteOfAMissingKeyIsFalseAndSilent) {
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 100);
  AddMoney(record);
  MoneyRecord ghost = MakeMoney(cash_.key, u"Ghost", 1);
  ghost.key = 4242;
  EXPECT_FALSE(UpdateMoneyRecord(*store_, ghost, ui_));
  EXPECT_FALSE(DeleteMoneyRecord(*store_, 4242, ui_));
  AccountRecord ghostAccount = MakeAccount(u"Ghost");
  ghostAccount.key = 4242;
  EXPECT_FALSE(UpdateAccountRecord(*store_, ghostAccount, ui_));
  EXPECT_FALSE(DeleteAccountRecord(*store_, 4242, ui_));
  EXPECT_EQ(StoredKeys(Volume(), layout::kMoneyDatabaseName),
            std::vector<std::uint32_t>{record.key});
  EXPECT_EQ(Stored(layout::kAccountsDatabaseName).size(), 1u);
  EXPECT_TRUE(ui_.log.empty());
}

TEST_F(RecordWritesTest, DeleteAccountMoneyRecordsTakesOnlyThatAccount) {
  // The money database holds nothing at all: false, silently.
  EXPECT_FALSE(DeleteAccountMoneyRecords(*store_, cash_.key, ui_));

  clock_.Set(UtcTime(2, 0, 0, 0));
  AccountRecord bank = MakeAccount(u"Bank");
  AddAccount(bank);
  for (int i = 0; i < 5; ++i) {
    MoneyRecord mine = MakeMoney(cash_.key, u"Food", 10 + i);
    AddMoney(mine);
    MoneyRecord theirs = MakeMoney(bank.key, u"Food", 20 + i);
    AddMoney(theirs);
  }
  // An account without records: nothing deleted, true.
  EXPECT_TRUE(DeleteAccountMoneyRecords(*store_, 31235959, ui_));
  EXPECT_EQ(Stored(layout::kMoneyDatabaseName).size(), 10u);

  EXPECT_TRUE(DeleteAccountMoneyRecords(*store_, cash_.key, ui_));
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, ui_));
  ASSERT_EQ(money_.size(), 5u);
  for (const MoneyRecord& left : money_) EXPECT_EQ(left.accountKey, bank.key);
  EXPECT_TRUE(store_->Money().IsOpen());
  EXPECT_TRUE(ui_.log.empty());
}

TEST_F(RecordWritesTest, DeleteAccountMoneyRecordsSparesAnotherAccountsRecordWithTheSameKey) {
  // An older version could store one key twice. Deleting one account's records must not take
  // the other account's record that happens to share the key.
  namespace m = layout::money;
  platform::ObjectStore& volume = Volume();
  PutRecord(volume, layout::kMoneyDatabaseName,
            {PropValue::Ui4(m::kKey, 500), PropValue::Ui4(m::kAccountKey, 2)});
  PutRecord(volume, layout::kMoneyDatabaseName,
            {PropValue::Ui4(m::kKey, 500), PropValue::Ui4(m::kAccountKey, 1)});
  EXPECT_TRUE(DeleteAccountMoneyRecords(*store_, 1, ui_));
  const auto left = Stored(layout::kMoneyDatabaseName);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0][1], PropValue::Ui4(m::kAccountKey, 2));
}

TEST_F(RecordWritesTest, RewriteCategoriesStoresListOrderAsKeys) {
  for (const char16_t* name : {u"Rent", u"Food", u"Car"}) {
    CategoryRecord category;
    category.SetName(name);
    categories_.Append(category);
  }
  ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
  EXPECT_FALSE(store_->Categories().IsOpen());
  namespace c = layout::category;
  const auto stored = Stored(layout::kCategoriesDatabaseName);
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0], (platform::Record{PropValue::Ui4(c::kPosition, 0),
                                         PropValue::Text(c::kName, u"Rent")}));
  EXPECT_EQ(stored[2],
            (platform::Record{PropValue::Ui4(c::kPosition, 2), PropValue::Text(c::kName, u"Car")}));

  // A shorter list replaces the database whole.
  categories_.RemoveByName(u"Food");
  ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
  Restart();
  Open();
  ASSERT_EQ(categories_.size(), 2u);
  EXPECT_EQ(categories_[0].Name(), u"Rent");
  EXPECT_EQ(categories_[1].Name(), u"Car");

  // An empty list leaves no categories database; the next start makes an empty one.
  ASSERT_TRUE(RewriteCategories(*store_, CategoryList(), ui_));
  EXPECT_FALSE(DatabaseExists(Volume(), layout::kCategoriesDatabaseName));
  Restart();
  Open();
  EXPECT_EQ(categories_.size(), 0u);
  EXPECT_TRUE(DatabaseExists(Volume(), layout::kCategoriesDatabaseName));
}

TEST_F(RecordWritesTest, ShutdownDeletesEmptyMoneyAndAccountlessAccountsDatabases) {
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 100);
  AddMoney(record);
  // Records left: both stay, handles closed.
  EXPECT_TRUE(DeleteEmptyMoneyDatabase(*store_));
  EXPECT_TRUE(DeleteEmptyAccountsDatabase(*store_, accounts_));
  EXPECT_FALSE(store_->Money().IsOpen());
  EXPECT_FALSE(store_->Accounts().IsOpen());
  EXPECT_TRUE(DatabaseExists(Volume(), layout::kMoneyDatabaseName));
  EXPECT_TRUE(DatabaseExists(Volume(), layout::kAccountsDatabaseName));

  // The account list is empty: the accounts database goes although it still holds a record.
  EXPECT_TRUE(DeleteEmptyAccountsDatabase(*store_, AccountList()));
  EXPECT_FALSE(DatabaseExists(Volume(), layout::kAccountsDatabaseName));
  EXPECT_TRUE(DeleteEmptyAccountsDatabase(*store_, AccountList()));  // nothing left to do

  ASSERT_TRUE(DeleteMoneyRecord(*store_, record.key, ui_));
  EXPECT_TRUE(DeleteEmptyMoneyDatabase(*store_));
  EXPECT_FALSE(DatabaseExists(Volume(), layout::kMoneyDatabaseName));
  EXPECT_TRUE(DeleteEmptyMoneyDatabase(*store_));

  // Next start: no accounts, databases made again.
  Restart();
  Open();
  EXPECT_TRUE(DatabaseExists(Volume(), layout::kMoneyDatabaseName));
  EXPECT_TRUE(DatabaseExists(Volume(), layout::kAccountsDatabaseName));
}

TEST_F(RecordWritesTest, AddAfterAFailedLoadStillStores) {
  // A load that found no database closes the handle; the next add must not fail for that.
  ASSERT_TRUE(DeleteEmptyMoneyDatabase(*store_));
  ASSERT_TRUE(CreateMoneyDatabase(*store_));
  store_->Money().Close();
  MoneyRecord record = MakeMoney(cash_.key, u"Food", 100);
  AddMoney(record);
  EXPECT_EQ(Stored(layout::kMoneyDatabaseName).size(), 1u);
}

}  // namespace
}  // namespace quidora::testing
