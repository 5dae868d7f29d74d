// Loading money records: the current account's or all of them, with every stored field.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../platform/volume_fixtures.h"
#include "core/keys.h"
#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_properties.h"
#include "store/record_writes.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

using platform::PropValue;
namespace layout = store;

class MoneyLoadingTest : public StoreTest {
 protected:
  void SetUp() override {
    Open();
    cash_ = MakeAccount(u"Cash");
    AddAccount(cash_);
    clock_.Set(UtcTime(7, 0, 0, 0));
    bank_ = MakeAccount(u"Bank");
    AddAccount(bank_);
    current_.CopyFrom(cash_);
  }

  AccountRecord cash_;
  AccountRecord bank_;
};

TEST_F(MoneyLoadingTest, EmptyDatabaseGivesFalseAndAnEmptyList) {
  money_.Append(MakeMoney(1, u"Stale", 5));
  EXPECT_FALSE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  EXPECT_EQ(money_.size(), 0u);
  money_.Append(MakeMoney(1, u"Stale", 5));
  EXPECT_FALSE(LoadAllMoneyRecords(*store_, money_, ui_));
  EXPECT_EQ(money_.size(), 0u);
  EXPECT_TRUE(ui_.log.empty());
}

TEST_F(MoneyLoadingTest, RecordsComeBackWithEveryFieldInKeyOrder) {
  MoneyRecord salary = MakeMoney(cash_.key, u"Salary", 123456, {2007, 3, 0, 5, 0, 0, 0, 0}, 0);
  salary.SetMemo(u"March");
  clock_.Set(UtcTime(9, 10, 0, 0));
  AddMoney(salary);
  MoneyRecord food = MakeMoney(cash_.key, u"Food", 875);
  clock_.Set(UtcTime(8, 10, 0, 0));
  AddMoney(food);

  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 2u);
  EXPECT_EQ(money_[0].key, 81000u);  // the 8th, 10:00:00
  EXPECT_EQ(money_[1].key, 91000u);
  const MoneyRecord& loaded = money_[1];
  EXPECT_EQ(loaded.accountKey, cash_.key);
  EXPECT_EQ(loaded.type, 0u);
  EXPECT_EQ(loaded.amount, 123456);
  EXPECT_EQ(loaded.AmountText(0), u"1,234.56");
  EXPECT_EQ(loaded.AmountText(1), u"1.234,56");
  EXPECT_EQ(loaded.Category(), u"Salary");
  EXPECT_EQ(loaded.Memo(), u"March");
  EXPECT_EQ(loaded.DateNumber(), 20070305u);
  EXPECT_EQ(loaded.DateText(3), u"03/05/07");
}

TEST_F(MoneyLoadingTest, OnlyTheCurrentAccountIsShownButAllAreLoaded) {
  MoneyRecord mine = MakeMoney(cash_.key, u"Food", 100);
  AddMoney(mine);
  MoneyRecord theirs = MakeMoney(bank_.key, u"Food", 200);
  AddMoney(theirs);
  // An orphan: its account does not exist. It stays stored and is only seen by the full load.
  MoneyRecord orphan = MakeMoney(999, u"Food", 300);
  AddMoney(orphan);

  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 1u);
  EXPECT_EQ(money_[0].key, mine.key);

  ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, ui_));
  ASSERT_EQ(money_.size(), 3u);
  EXPECT_EQ(money_[2].accountKey, 999u);

  current_.CopyFrom(bank_);
  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 1u);
  EXPECT_EQ(money_[0].amount, 200);
}

TEST_F(MoneyLoadingTest, EmptyMemoStaysEmptyAndMissingMemoBecomesOneSpace) {
  MoneyRecord empty = MakeMoney(cash_.key, u"Food", 100);
  empty.SetMemo(u"");
  AddMoney(empty);
  MoneyRecord missing;
  missing.Reset();
  missing.accountKey = cash_.key;
  missing.SetCategory(u"Food");
  missing.amount = 100;
  missing.SetDate({2005, 10, 0, 29, 0, 0, 0, 0});
  ASSERT_FALSE(missing.HasMemo());
  AddMoney(missing);

  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 2u);
  EXPECT_TRUE(money_[0].HasMemo());
  EXPECT_EQ(money_[0].Memo(), u"");
  EXPECT_EQ(money_[1].Memo(), u" ");
}

TEST_F(MoneyLoadingTest, UnknownPropertiesAreIgnoredAndPropertyOrderDoesNotMatter) {
  namespace m = layout::money;
  PutRecord(
      Volume(), layout::kMoneyDatabaseName,
      {PropValue::Ui4(m::kKey, 42), PropValue::Text(m::kMemo, u"late"),
       PropValue::Ui4(layout::PropertyId(30, 0x13), 7),
       PropValue::Raw(layout::PropertyId(31, 0x41), std::vector<std::uint8_t>{1, 2}),
       PropValue::Ui4(m::kYear, 2010), PropValue::Ui4(m::kMonth, 1), PropValue::Ui4(m::kDay, 2),
       PropValue::Ui4(m::kAmount, 99), PropValue::Ui4(m::kType, 1),
       PropValue::Text(m::kCategory, u"Misc"), PropValue::Ui4(m::kAccountKey, cash_.key)});
  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 1u);
  EXPECT_EQ(money_[0].key, 42u);
  EXPECT_EQ(money_[0].Memo(), u"late");
  EXPECT_EQ(money_[0].DateNumber(), 20100102u);
  EXPECT_EQ(money_[0].amount, 99);
}

TEST_F(MoneyLoadingTest, YearTooWideForTheDateDoesNotWrapIntoAnotherYear) {
  namespace m = layout::money;
  PutRecord(Volume(), layout::kMoneyDatabaseName,
            {PropValue::Ui4(m::kKey, 1), PropValue::Ui4(m::kAccountKey, cash_.key),
             PropValue::Ui4(m::kDay, 2), PropValue::Ui4(m::kMonth, 1),
             PropValue::Ui4(m::kYear, 0x107D0), PropValue::Text(m::kCategory, u"Misc")});
  ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  ASSERT_EQ(money_.size(), 1u);
  EXPECT_EQ(money_[0].DateNumber(), 0u);
  EXPECT_TRUE(money_[0].DateText(0).empty());
}

// Readers that select records before building them rely on the peek giving the same account key
// and date number as the full fill, whatever the stored properties hold.
TEST(MoneyRecordPeekTest, ThePlaceIsWhatFillingTheRecordGives) {
  namespace m = layout::money;
  const std::vector<platform::Record> samples = {
      {PropValue::Ui4(m::kKey, 1), PropValue::Ui4(m::kAccountKey, 5), PropValue::Ui4(m::kDay, 31),
       PropValue::Ui4(m::kMonth, 2), PropValue::Ui4(m::kYear, 2005),
       PropValue::Text(m::kCategory, u"Food")},
      // The last account key counts; a year too wide for the date is refused.
      {PropValue::Ui4(m::kAccountKey, 5), PropValue::Ui4(m::kAccountKey, 6),
       PropValue::Ui4(m::kYear, 0x107D0), PropValue::Ui4(m::kMonth, 1), PropValue::Ui4(m::kDay, 2)},
      {PropValue::Ui4(m::kDay, 32), PropValue::Ui4(m::kMonth, 1), PropValue::Ui4(m::kYear, 2010)},
      {PropValue::Ui4(m::kDay, 0x10001), PropValue::Ui4(m::kMonth, 12),
       PropValue::Ui4(m::kYear, 2010), PropValue::Ui4(m::kAccountKey, 0)},
      {PropValue::Ui4(m::kDay, 0), PropValue::Ui4(m::kMonth, 12), PropValue::Ui4(m::kYear, 999)},
      {PropValue::Text(m::kMemo, u"no numbers"),
       PropValue::Raw(layout::PropertyId(31, 0x41), std::vector<std::uint8_t>{1, 2})},
  };
  for (const platform::Record& props : samples) {
    std::vector<std::uint8_t> bytes;
    platform::EncodeRecord(props, bytes);
    MoneyRecord filled;
    filled.Reset();
    FillMoneyRecord(props, filled);
    const std::optional<MoneyRecordPlace> place = PeekMoneyRecord(bytes);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->accountKey, filled.accountKey);
    EXPECT_EQ(place->dateNumber, filled.DateNumber());
    bytes.pop_back();
    EXPECT_FALSE(PeekMoneyRecord(bytes).has_value());
  }
}

TEST_F(MoneyLoadingTest, MissingMoneyDatabaseIsADatabaseProblem) {
  ASSERT_TRUE(DeleteEmptyMoneyDatabase(*store_));  // empty, so it goes
  money_.Append(MakeMoney(cash_.key, u"Kept", 5));
  ui_.Expect(u"There are problems with Quidora database !");
  EXPECT_FALSE(LoadAccountMoneyRecords(*store_, money_, current_, ui_));
  EXPECT_EQ(ui_.beeps, 1);
  EXPECT_EQ(ui_.log.back().icon, MessageIcon::Stop);
  ASSERT_EQ(money_.size(), 1u);  // left as it was
  EXPECT_EQ(money_[0].Category(), u"Kept");
}

// Every field of every record of a list, in list order, readable in a failure.
std::vector<std::string> Describe(const MoneyList& list) {
  std::vector<std::string> lines;
  for (const MoneyRecord& r : list) {
    std::string line = std::to_string(r.key) + " " + std::to_string(r.accountKey) + " " +
                       std::to_string(r.amount) + " " + std::to_string(r.type) + " " +
                       std::to_string(r.DateNumber()) + " " + std::to_string(r.HasMemo());
    for (char16_t c : r.Category()) line += static_cast<char>(c);
    line += '|';
    for (char16_t c : r.Memo()) line += static_cast<char>(c);
    lines.push_back(line);
  }
  return lines;
}

TEST_F(MoneyLoadingTest, AnUndecodableRecordIsLeftOutOnceAndTheRestOfTheAccountLoads) {
  std::vector<std::uint32_t> keys;
  for (std::int32_t amount : {100, 200, 300}) {
    MoneyRecord record = MakeMoney(cash_.key, u"Food", amount);
    clock_.Set(UtcTime(10, 0, 0, static_cast<std::uint16_t>(amount / 100)));
    keys.push_back(AddMoney(record));
  }
  store_.reset();
  // The middle record, as it is stored, cut short to a count and nothing more.
  const std::string damage =
      "UPDATE records SET props = x'09' WHERE skey = " + std::to_string(keys[1]) +
      "; UPDATE ordered_records SET props = x'09'"
      " WHERE skey = " +
      std::to_string(keys[1]) + ";";
  if (!platform::testing::RunSqliteProgram(VolumeFile(), damage)) {
    GTEST_SKIP() << "the sqlite3 program is not installed";
  }
  for (int run = 0; run < 2; ++run) {
    Restart();
    Open();
    current_.CopyFrom(cash_);
    RecordingMessages seen;
    ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, seen));
    ASSERT_EQ(money_.size(), 2u);
    EXPECT_EQ(money_[0].amount, 100);
    EXPECT_EQ(money_[1].amount, 300);
    EXPECT_EQ(seen.shown,
              std::vector<std::u16string>{u"There are problems with Quidora database !"});
    ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, seen));
    EXPECT_EQ(money_.size(), 2u);
    EXPECT_EQ(seen.shown.size(), 2u);
    // A run that writes, then ends: the damaged record is still stored, as it was.
    MoneyRecord more = MakeMoney(bank_.key, u"Rent", 5);
    AddMoney(more);
    ASSERT_TRUE(DeleteMoneyRecord(*store_, more.key, ui_));
    EXPECT_EQ(store_->Money().handle.RecordCount(), 3u);
  }
}

// A volume that the first release wrote (a generated home of 300 records), with what older
// releases and damage leave in such volumes: keys held twice, within an account and across two
// accounts, a record with two account keys (the last one counts), one without an account key,
// and three records whose stored properties are cut short or run over.
class LandedVolumeTest : public StoreTest {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(std::filesystem::path(QUIDORA_STORE_GOLDEN) / "landed_volume.db",
                               VolumeFile());
  }

  // What the shown account's list is when every record is read and the account's kept: the
  // lists must be the same however they are loaded.
  std::vector<std::string> FullReadOf(std::uint32_t accountKey, RecordingMessages& seen) {
    MoneyList all;
    EXPECT_TRUE(LoadAllMoneyRecords(*store_, all, seen));
    MoneyList kept;
    for (const MoneyRecord& record : all) {
      if (record.accountKey == accountKey) kept.Append(record);
    }
    return Describe(kept);
  }
};

TEST_F(LandedVolumeTest, TheUpgradedVolumeLoadsEachAccountAsAFullReadKeepsIt) {
  // Before the upgrade, through a reader that changes nothing and reads every record.
  std::map<std::uint32_t, std::vector<std::string>> before;
  std::vector<std::uint32_t> accountKeys;
  {
    Databases reader(VolumeFile(), clock_, nullptr, VolumeAccess::ReadOnly);
    CategoryList categories;
    AccountList accounts;
    AccountRecord current;
    Settings settings;
    RecordingMessages seen;
    ASSERT_TRUE(OpenDatabases(reader, categories, accounts, current, settings, seen));
    EXPECT_EQ(categories.size(), 30u);
    ASSERT_EQ(accounts.size(), 15u);
    for (const AccountRecord& account : accounts) accountKeys.push_back(account.key);
    accountKeys.push_back(999);     // no such account
    accountKeys.push_back(kNoKey);  // an account record without a key takes keyless records
    for (std::uint32_t key : accountKeys) {
      current.key = key;
      MoneyList list;
      ASSERT_TRUE(LoadAccountMoneyRecords(reader, list, current, seen));
      before[key] = Describe(list);
    }
  }

  Open();
  EXPECT_EQ(store_->VolumeStatus(), platform::VolumeStatus::Opened) << store_->VolumeDetail();
  const auto info = Volume().GetDatabaseInfo(store_->Money().oid);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->moreSortOrders, std::vector<platform::PropId>{layout::money::kAccountKey});
  EXPECT_TRUE(Volume().CheckIntegrity());
  std::size_t shown = 0;
  for (std::uint32_t key : accountKeys) {
    current_.key = key;
    RecordingMessages seen;
    ASSERT_TRUE(LoadAccountMoneyRecords(*store_, money_, current_, seen));
    const std::vector<std::string> loaded = Describe(money_);
    EXPECT_EQ(seen.shown.size(), 1u) << "the damaged records are reported once, account " << key;
    RecordingMessages full;
    EXPECT_EQ(loaded, FullReadOf(key, full)) << "account " << key;
    EXPECT_EQ(full.shown.size(), 1u);
    EXPECT_EQ(loaded, before[key]) << "account " << key;
    shown += loaded.size();
  }
  EXPECT_EQ(shown, 307u - 3u) << "every readable record belongs to exactly one list";
}
}  // namespace
}  // namespace quidora::testing
