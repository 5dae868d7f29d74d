// Start-up: opening or creating the three databases, loading categories and accounts, and
// choosing the current account.
#include <gtest/gtest.h>

#include <fstream>

#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store/store_messages.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

using platform::PropValue;
namespace layout = store;

TEST_F(StoreTest, FirstStartCreatesThreeEmptyDatabases) {
  Open();
  EXPECT_EQ(categories_.size(), 0u);
  EXPECT_EQ(accounts_.size(), 0u);
  EXPECT_FALSE(current_.HasName());
  EXPECT_FALSE(settings_.lastAccount.has_value());
  EXPECT_TRUE(store_->Money().IsOpen());
  EXPECT_TRUE(store_->Accounts().IsOpen());
  EXPECT_TRUE(store_->Categories().IsOpen());
  for (auto name : {layout::kMoneyDatabaseName, layout::kAccountsDatabaseName,
                    layout::kCategoriesDatabaseName}) {
    const auto info = Volume().GetDatabaseInfo(Volume().OpenDatabase(name).oid);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->recordCount, 0u);
    EXPECT_EQ(info->type, 0u);
    EXPECT_EQ(info->sortProp, layout::kKeyProperty);
  }
  EXPECT_TRUE(ui_.log.empty());
}

TEST_F(StoreTest, MoneyRecordsWithoutAccountsAreDeletedAtStart) {
  // No accounts database at all: it is created and the money records go.
  PutRecord(
      Volume(), layout::kMoneyDatabaseName,
      {PropValue::Ui4(layout::money::kKey, 5), PropValue::Ui4(layout::money::kAccountKey, 1)});
  Open();
  EXPECT_TRUE(StoredKeys(Volume(), layout::kMoneyDatabaseName).empty());
  EXPECT_TRUE(DatabaseExists(Volume(), layout::kMoneyDatabaseName));

  // An accounts database that exists but is empty does the same.
  PutRecord(
      Volume(), layout::kMoneyDatabaseName,
      {PropValue::Ui4(layout::money::kKey, 6), PropValue::Ui4(layout::money::kAccountKey, 1)});
  Restart();
  Open();
  EXPECT_TRUE(StoredKeys(Volume(), layout::kMoneyDatabaseName).empty());
}

TEST_F(StoreTest, MoneyRecordsStayWhenAccountsExist) {
  Open();
  AccountRecord account = MakeAccount(u"Cash");
  AddAccount(account);
  MoneyRecord record = MakeMoney(account.key, u"Food", 150);
  AddMoney(record);
  Restart();
  Open();
  EXPECT_EQ(StoredKeys(Volume(), layout::kMoneyDatabaseName),
            std::vector<std::uint32_t>{record.key});
}

TEST_F(StoreTest, CategoriesAreLoadedInStoredOrderWithoutDuplicates) {
  platform::ObjectStore& volume = Volume();
  // Written out of key order: they come back by key (the position they were stored with).
  PutRecord(volume, layout::kCategoriesDatabaseName,
            {PropValue::Ui4(layout::category::kPosition, 2),
             PropValue::Text(layout::category::kName, u"Rent")});
  PutRecord(volume, layout::kCategoriesDatabaseName,
            {PropValue::Ui4(layout::category::kPosition, 0),
             PropValue::Text(layout::category::kName, u"Food"),
             PropValue::Text(layout::category::kName, u"Fuel")});
  PutRecord(volume, layout::kCategoriesDatabaseName,
            {PropValue::Ui4(layout::category::kPosition, 1),
             PropValue::Text(layout::category::kName, u"Food")});
  // No name property at all, and an empty name: nothing to load, no error.
  PutRecord(volume, layout::kCategoriesDatabaseName,
            {PropValue::Ui4(layout::category::kPosition, 3),
             PropValue::Ui4(layout::PropertyId(1, layout::kTypeUInt32), 7)});
  PutRecord(volume, layout::kCategoriesDatabaseName,
            {PropValue::Ui4(layout::category::kPosition, 4),
             PropValue::Text(layout::category::kName, u"")});
  Open();
  ASSERT_EQ(categories_.size(), 3u);
  EXPECT_EQ(categories_[0].Name(), u"Food");
  EXPECT_EQ(categories_[1].Name(), u"Fuel");
  EXPECT_EQ(categories_[2].Name(), u"Rent");
}

TEST_F(StoreTest, CategoriesWithoutNamesGiveAnEmptyList) {
  PutRecord(Volume(), layout::kCategoriesDatabaseName,
            {PropValue::Ui4(layout::category::kPosition, 0)});
  Open();
  EXPECT_EQ(categories_.size(), 0u);
  EXPECT_TRUE(ui_.log.empty());
}

TEST_F(StoreTest, AccountsLoadWithTheirFieldsAndLastAccountBecomesCurrent) {
  platform::ObjectStore& volume = Volume();
  PutRecord(
      volume, layout::kAccountsDatabaseName,
      {PropValue::Ui4(layout::account::kKey, 20), PropValue::Ui4(layout::account::kDay, 5),
       PropValue::Ui4(layout::account::kMonth, 3), PropValue::Ui4(layout::account::kYear, 2007),
       PropValue::Text(layout::account::kName, u"Bank"),
       PropValue::Text(layout::account::kDescription, u"Savings")});
  PutRecord(
      volume, layout::kAccountsDatabaseName,
      {PropValue::Ui4(layout::account::kKey, 10), PropValue::Ui4(layout::account::kDay, 29),
       PropValue::Ui4(layout::account::kMonth, 10), PropValue::Ui4(layout::account::kYear, 2005),
       PropValue::Text(layout::account::kName, u"Cash"),
       PropValue::Text(layout::account::kDescription, u" ")});
  settings_.lastAccount = u"Bank";
  Open();
  ASSERT_EQ(accounts_.size(), 2u);
  EXPECT_EQ(accounts_[0].key, 10u);
  EXPECT_EQ(accounts_[0].Name(), u"Cash");
  EXPECT_EQ(accounts_[0].Description(), u" ");
  EXPECT_EQ(accounts_[0].DateNumber(), 20051029u);
  EXPECT_EQ(accounts_[1].DateNumber(), 20070305u);
  EXPECT_EQ(accounts_[1].DateText(0), u"05-03-07");
  EXPECT_EQ(current_.key, 20u);
  EXPECT_EQ(current_.Name(), u"Bank");
  EXPECT_EQ(current_.Description(), u"Savings");
  EXPECT_EQ(settings_.lastAccount, u"Bank");
}

TEST_F(StoreTest, UnknownLastAccountMakesTheFirstAccountCurrent) {
  Open();
  AccountRecord cash = MakeAccount(u"Cash");
  AddAccount(cash);
  clock_.Set(UtcTime(9, 23, 59, 59));  // a larger key: Bank sorts after Cash
  AccountRecord bank = MakeAccount(u"Bank");
  AddAccount(bank);

  for (const char16_t* lastAccount : {u"Gone", u""}) {
    Restart();
    settings_.lastAccount = lastAccount;
    Open();
    EXPECT_EQ(current_.Name(), u"Cash");
    EXPECT_EQ(settings_.lastAccount, u"Cash");
  }
  Restart();
  Open();  // no LastAccount at all
  EXPECT_EQ(current_.key, cash.key);
  EXPECT_EQ(settings_.lastAccount, u"Cash");
}

TEST_F(StoreTest, ARefusedVolumeIsNamedWithWhatIsWrongAndLeftAlone) {
  store_.reset();
  std::string newer;
  {
    std::ifstream golden(std::filesystem::path(QUIDORA_STORE_GOLDEN) / "landed_volume.db",
                         std::ios::binary);
    newer.assign(std::istreambuf_iterator<char>(golden), std::istreambuf_iterator<char>());
    ASSERT_GT(newer.size(), 100u);
    newer[63] = 9;  // user_version 9
  }
  const std::string path(VolumeFile().string());
  const std::u16string file(path.begin(), path.end());
  const std::pair<std::string, std::u16string> cases[] = {
      {"this is not a database, but it is somebody's file\n", file + u" is not a Quidora store"},
      {"", file + u" is empty, not a Quidora store"},
      {newer, file + u" was written by a newer version of Quidora"},
  };
  for (const auto& [bytes, reason] : cases) {
    {
      std::ofstream out(VolumeFile(), std::ios::binary | std::ios::trunc);
      out << bytes;
    }
    Restart();
    const std::u16string message = u"Error during building database: " + reason;
    ui_.Expect(message);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(OpenDatabases(*store_, categories_, accounts_, current_, settings_, ui_));
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, std::string(message.begin(), message.end()) + "\n");
    EXPECT_EQ(ui_.log.back().icon, MessageIcon::Stop);
    EXPECT_FALSE(store_->Money().IsOpen());
    store_.reset();
    std::ifstream in(VolumeFile(), std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, bytes);
  }
  // A full disk names the file it could not write, as every other refusal names its file.
  EXPECT_EQ(VolumeRefusalText(platform::VolumeProblem::NoSpace, VolumeFile()),
            u"Error during building database: " + file +
                u" cannot be written: no space left on the disk");
}

TEST_F(StoreTest, UnreadableAccountsStopTheStartWithTheirName) {
  // A database kept under the accounts name with another sort order cannot be opened as the
  // accounts database, nor created anew: start-up must stop, not replace it.
  Volume().CreateDatabase(layout::kAccountsDatabaseName, 0, layout::PropertyId(1, 0x13));
  ui_.Expect(u"Error during building database: Vesko QuidbookAccs");
  EXPECT_FALSE(OpenDatabases(*store_, categories_, accounts_, current_, settings_, ui_));
  EXPECT_EQ(ui_.log.back().icon, MessageIcon::Exclamation);
  EXPECT_FALSE(store_->Categories().IsOpen());
  EXPECT_FALSE(store_->Accounts().IsOpen());
  EXPECT_FALSE(store_->Money().IsOpen());
}

}  // namespace
}  // namespace quidora::testing
