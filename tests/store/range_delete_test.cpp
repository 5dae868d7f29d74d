// Delete by range: exactly the shown account's records dated within the range go, found through
// the date order, whatever keys an older version shared and whatever records cannot be decoded;
// on ordinary data the store ends as the delete by key of the range's list in memory left it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../platform/volume_fixtures.h"
#include "core/date.h"
#include "core/keys.h"
#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

namespace m = store::money;
using platform::PropValue;

constexpr std::uint32_t kFirst = 20100101;
constexpr std::uint32_t kLast = 20101231;

// Account, date and amount of each record, sorted: what a list shows, readable in a failure.
std::vector<std::string> Lines(const MoneyList& list) {
  std::vector<std::string> lines;
  for (const MoneyRecord& r : list) {
    lines.push_back(std::to_string(r.accountKey) + " " + std::to_string(r.DateNumber()) + " " +
                    std::to_string(r.amount) + " key " + std::to_string(r.key));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

platform::Record Raw(std::optional<std::uint32_t> account, std::uint32_t key,
                     std::uint32_t dateNumber, std::uint32_t amount) {
  platform::Record props{PropValue::Ui4(m::kKey, key)};
  if (account) props.push_back(PropValue::Ui4(m::kAccountKey, *account));
  props.push_back(PropValue::Ui4(m::kDay, dateNumber % 100));
  props.push_back(PropValue::Ui4(m::kMonth, dateNumber / 100 % 100));
  props.push_back(PropValue::Ui4(m::kYear, dateNumber / 10000));
  props.push_back(PropValue::Ui4(m::kAmount, amount));
  props.push_back(PropValue::Ui4(m::kType, 1));
  props.push_back(PropValue::Text(m::kCategory, u"Food"));
  return props;
}

class RangeDeleteTest : public StoreTest {
 protected:
  void SetUp() override {
    Open();
    AccountRecord cash = MakeAccount(u"Cash");
    AccountRecord bank = MakeAccount(u"Bank");
    cash_ = AddAccount(cash);
    bank_ = AddAccount(bank);
  }

  MoneyList Shown(Databases& store, std::uint32_t account) {
    AccountRecord shown;
    shown.Reset();
    shown.key = account;
    MoneyList list;
    LoadAccountMoneyRecords(store, list, shown, ui_);
    return list;
  }

  // Date and amount of each record of a list, sorted.
  static std::vector<std::string> Dated(const MoneyList& list) {
    std::vector<std::string> lines;
    for (const MoneyRecord& r : list) {
      lines.push_back(std::to_string(r.DateNumber()) + " " + std::to_string(r.amount));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  std::uint32_t cash_ = 0;
  std::uint32_t bank_ = 0;
};

TEST_F(RangeDeleteTest, SharedKeysTakeOnlyTheRecordsInTheRangeAndDamagedOnesStay) {
  // Key 500 stored four times (an older version's clash): first for Cash on the day before the
  // range, then for Bank inside it, then for Cash on both ends of the range.
  platform::ObjectStore& volume = Volume();
  PutRecord(volume, store::kMoneyDatabaseName, Raw(cash_, 500, 20091231, 1));
  PutRecord(volume, store::kMoneyDatabaseName, Raw(bank_, 500, 20100303, 2));
  PutRecord(volume, store::kMoneyDatabaseName, Raw(cash_, 500, kFirst, 3));
  PutRecord(volume, store::kMoneyDatabaseName, Raw(cash_, 500, kLast, 4));
  PutRecord(volume, store::kMoneyDatabaseName, Raw(cash_, 600, 20110101, 5));
  // Records without an account, in the range and not: an account whose stored record lacks a
  // key shows these.
  PutRecord(volume, store::kMoneyDatabaseName, Raw(std::nullopt, 610, 20100505, 6));
  PutRecord(volume, store::kMoneyDatabaseName, Raw(std::nullopt, 620, 20120505, 7));
  // A record of Cash in the range whose properties are damaged: no date can be told, it stays.
  PutRecord(volume, store::kMoneyDatabaseName, Raw(cash_, 700, 20100606, 8));
  {
    platform::OpenedDatabase money = volume.OpenDatabase(store::kMoneyDatabaseName);
    const platform::Oid damaged = money.handle.SeekFirstEqual(700);
    ASSERT_NE(damaged, 0u);
    money.handle.Close();
    store_.reset();
    const std::string where = " WHERE oid = " + std::to_string(damaged) + ";";
    ASSERT_TRUE(platform::testing::RunSqliteProgram(
        VolumeFile(), "UPDATE records SET props = x'01'" + where +
                          "UPDATE ordered_records SET props = x'01', value = 4294967297" + where +
                          "UPDATE dated_records SET grp = 4294967297, date = 0, carried = x''" +
                          where));
    Restart();
    Open();
  }

  EXPECT_EQ(CountMoneyRecordsInRange(*store_, cash_, kFirst, kLast, ui_), 2u);
  EXPECT_EQ(CountMoneyRecordsInRange(*store_, cash_, 20090101, 20091230, ui_), 0u);
  EXPECT_EQ(CountMoneyRecordsInRange(*store_, kNoKey, kFirst, kLast, ui_), 1u);
  EXPECT_TRUE(DeleteMoneyRecordsInRange(*store_, cash_, kFirst, kLast, ui_));
  EXPECT_TRUE(DeleteMoneyRecordsInRange(*store_, kNoKey, kFirst, kLast, ui_));
  // A range with nothing in it deletes nothing, and is no failure.
  EXPECT_TRUE(DeleteMoneyRecordsInRange(*store_, cash_, kFirst, kLast, ui_));

  // Each load meets the damaged record and says so.
  for (int i = 0; i < 3; ++i) ui_.Expect(u"There are problems with Quidora database !");
  EXPECT_EQ(Dated(Shown(*store_, cash_)), (std::vector<std::string>{"20091231 1", "20110101 5"}));
  EXPECT_EQ(Dated(Shown(*store_, bank_)), std::vector<std::string>{"20100303 2"});
  EXPECT_EQ(Dated(Shown(*store_, kNoKey)), std::vector<std::string>{"20120505 7"});
  ASSERT_TRUE(store_->Reopen(store_->Money()) == platform::OpenStatus::Opened);
  EXPECT_EQ(store_->Money().handle.RecordCount(), 5u) << "the damaged record is still stored";
}

TEST_F(RangeDeleteTest, OrdinaryRecordsOfTheRangeGoAndEveryOtherStays) {
  // Both accounts over three years, every day of the range's ends and of its neighbours among
  // them.
  const std::uint16_t years[] = {2009, 2010, 2011};
  const std::uint16_t months[] = {1, 6, 12};
  const std::uint16_t days[] = {1, 2, 15, 30, 31};
  int amount = 0;
  for (const std::uint16_t year : years) {
    for (const std::uint16_t month : months) {
      for (const std::uint16_t day : days) {
        if (month == 6 && day == 31) continue;
        for (std::uint32_t account : {cash_, bank_, cash_}) {
          MoneyRecord record =
              MakeMoney(account, u"Food", ++amount, SystemTime{year, month, 0, day, 0, 0, 0, 0});
          AddMoney(record);
        }
      }
    }
  }
  MoneyList allBefore;
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, allBefore, ui_));
  MoneyList kept;
  for (const MoneyRecord& record : allBefore) {
    if (record.accountKey != cash_ || !IsInDateRange(record.DateNumber(), kFirst, kLast)) {
      kept.Append(record);
    }
  }
  const MoneyList before = Shown(*store_, cash_);
  const auto inRange = std::count_if(before.begin(), before.end(), [](const MoneyRecord& r) {
    return IsInDateRange(r.DateNumber(), kFirst, kLast);
  });
  ASSERT_EQ(inRange, 28);
  EXPECT_EQ(CountMoneyRecordsInRange(*store_, cash_, kFirst, kLast, ui_),
            static_cast<std::size_t>(inRange));
  EXPECT_TRUE(DeleteMoneyRecordsInRange(*store_, cash_, kFirst, kLast, ui_));

  EXPECT_EQ(Shown(*store_, cash_).size(), before.size() - static_cast<std::size_t>(inRange));
  MoneyList all;
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, all, ui_));
  EXPECT_EQ(Lines(all), Lines(kept));
  EXPECT_TRUE(store_->Volume().CheckIntegrity());
}

}  // namespace
}  // namespace quidora::testing
