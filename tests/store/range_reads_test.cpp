// Range reads against today's full walk: the companion's reads through the orders and the
// balance report's read of a range hand over exactly the records a full read of the money
// database selects, on ordinary, duplicate-key and damaged data alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "../platform/volume_fixtures.h"
#include "core/keys.h"
#include "store/database_layout.h"
#include "store/loading.h"
#include "core/sums.h"
#include "store/range_balances.h"
#include "store/store_reader.h"
#include "store_fixture.h"

namespace quidora {
namespace {

namespace m = store::money;
using platform::PropValue;

// A list's records as lines, readable in a failure, sorted unless `inListOrder`; `amounts` keeps
// only what balances need.
std::vector<std::string> Lines(const MoneyList& list, bool amounts = false,
                               bool inListOrder = false) {
  std::vector<std::string> lines;
  for (const MoneyRecord& r : list) {
    std::string line = std::to_string(r.accountKey) + " " + std::to_string(r.DateNumber()) + " " +
                       std::to_string(r.amount) + " " + std::to_string(r.type);
    if (!amounts) {
      line += " " + std::to_string(r.key) + " ";
      for (char16_t c : r.Category()) line += static_cast<char>(c);
      line += '|';
      for (char16_t c : r.Memo()) line += static_cast<char>(c);
    }
    lines.push_back(line);
  }
  if (!inListOrder) std::sort(lines.begin(), lines.end());
  return lines;
}

class RangeReadsTest : public testing::StoreTest {
 protected:
  // Three accounts and `count` money records over them, with everything a store may hold:
  // shared keys, records without a key, an account or a date, dates a record refuses, doubled
  // properties, and the device program's own records.
  void Seed(int count) {
    Open();
    AccountRecord cash = testing::MakeAccount(u"Cash");
    AccountRecord bank = testing::MakeAccount(u"Bank");
    AccountRecord card = testing::MakeAccount(u"Card");
    accountKeys_ = {AddAccount(cash), AddAccount(bank), AddAccount(card)};
    std::mt19937 random(7);
    const auto below = [&](std::uint32_t bound) { return static_cast<std::uint32_t>(random() % bound); };
    platform::ObjectStore& volume = store_->Volume();
    for (int i = 0; i < count; ++i) {
      platform::Record props;
      if (below(12) != 0) props.push_back(PropValue::Ui4(m::kKey, 100 + below(count / 2 + 1)));
      if (below(15) != 0) props.push_back(PropValue::Ui4(m::kAccountKey, accountKeys_[below(3)]));
      if (below(25) == 0) props.push_back(PropValue::Ui4(m::kAccountKey, accountKeys_[below(3)]));
      props.push_back(PropValue::Ui4(m::kDay, 1 + below(31)));
      props.push_back(PropValue::Ui4(m::kMonth, below(20) == 0 ? 13 : 1 + below(12)));
      if (below(20) != 0) props.push_back(PropValue::Ui4(m::kYear, 2008 + below(5)));
      props.push_back(PropValue::Ui4(m::kAmount, below(50000)));
      props.push_back(PropValue::Ui4(m::kType, below(2)));
      props.push_back(PropValue::Text(m::kCategory, below(2) == 0 ? u"Food" : u"Rent"));
      if (below(3) != 0) props.push_back(PropValue::Text(m::kMemo, u"memo"));
      testing::PutRecord(volume, store::kMoneyDatabaseName, props);
    }
    for (int i = 0; i < 20; ++i) {
      MoneyRecord record = testing::MakeMoney(accountKeys_[i % 3], u"Pay", 100 + i,
                                              SystemTime{2010, 3, 0, 15, 0, 0, 0, 0});
      AddMoney(record);
    }
  }

  // The same volume without its orders, as a volume of the second version that keeps none
  // reads: the companion then walks the whole money database, as it did before the orders.
  std::filesystem::path WithoutOrders() {
    const std::filesystem::path copy = home_.path() / "plain.db";
    store_.reset();
    std::filesystem::copy_file(VolumeFile(), copy);
    EXPECT_TRUE(platform::testing::RunSqliteProgram(
        copy, "DROP TABLE date_orders; DROP TABLE dated_records; DELETE FROM sort_orders;"
              " DELETE FROM ordered_records; PRAGMA user_version=2;"));
    return copy;
  }

  struct Read {
    bool ok = false;
    platform::StoreError error = platform::StoreError::None;
    MoneyList money;
  };
  static Read ReadWith(const std::filesystem::path& file, const MoneySelection& selection) {
    Read read;
    auto opened = platform::VolumeReader::Open(file);
    EXPECT_EQ(opened.status, platform::VolumeStatus::Opened) << opened.detail;
    if (!opened.reader) return read;
    StoreReader reader(*opened.reader);
    read.ok = reader.ReadMoneyRecords(read.money, selection);
    read.error = reader.LastError();
    return read;
  }

  // Every selection the companion makes, through the orders and by the full walk.
  void ExpectTheSameAnswers(const std::filesystem::path& plain) {
    std::vector<MoneySelection> selections;
    for (const std::optional<std::uint32_t> account :
         {std::optional<std::uint32_t>(), std::optional(accountKeys_[1]), std::optional(kNoKey)}) {
      for (const auto& [from, to] : {std::pair<std::uint32_t, std::uint32_t>{20090101, 20091231},
                                     {0, 20100315}, {20100315, 0xFFFFFFFF}, {0, 0xFFFFFFFF}}) {
        for (bool amountsOnly : {false, true}) {
          selections.push_back(MoneySelection{account, from, to, amountsOnly});
        }
      }
    }
    for (const MoneySelection& selection : selections) {
      SCOPED_TRACE("account " + std::to_string(selection.accountKey.value_or(0)) + " from " +
                   std::to_string(selection.startDateNumber) + " to " +
                   std::to_string(selection.endDateNumber) +
                   (selection.amountsOnly ? " amounts" : ""));
      const Read ordered = ReadWith(VolumeFile(), selection);
      const Read full = ReadWith(plain, selection);
      EXPECT_EQ(ordered.ok, full.ok);
      EXPECT_EQ(ordered.error, full.error);
      // A failed read's list holds whatever came before the failure, in each read's own order.
      if (!full.ok) continue;
      // In the full walk's order too: sums test their limits record by record.
      EXPECT_EQ(Lines(ordered.money, selection.amountsOnly, true),
                Lines(full.money, selection.amountsOnly, true));
    }
  }

  // The three accounts, for sums.
  AccountList Accounts() const {
    AccountList accounts;
    for (std::uint32_t key : accountKeys_) {
      AccountRecord account = testing::MakeAccount(u"Account");
      account.key = key;
      accounts.Append(std::move(account));
    }
    return accounts;
  }

  std::vector<std::uint32_t> accountKeys_;
};

TEST_F(RangeReadsTest, TheCompanionsReadsAgreeWithTheFullWalk) {
  Seed(1500);
  const std::filesystem::path plain = WithoutOrders();
  ExpectTheSameAnswers(plain);
  // One account without a range comes in key order, as the full walk lists it.
  const MoneySelection oneAccount{accountKeys_[2]};
  const Read ordered = ReadWith(VolumeFile(), oneAccount);
  const Read full = ReadWith(plain, oneAccount);
  ASSERT_EQ(ordered.money.size(), full.money.size());
  for (std::size_t i = 0; i < full.money.size(); ++i) {
    EXPECT_EQ(ordered.money[i].key, full.money[i].key) << i;
  }
}

// The balance report's sums of a range against loading every record and summing the list.
struct Balances {
  bool summed = false;
  std::int64_t total = 0;
  std::vector<std::int32_t> balances;
  std::vector<std::u16string> shown;
  friend bool operator==(const Balances&, const Balances&) = default;
};

Balances SummedInRange(Databases& store, const AccountList& accounts, std::uint32_t from,
                       std::uint32_t to, bool fullLoad) {
  AccountList work;
  for (const AccountRecord& account : accounts) work.Append(account);
  testing::RecordingMessages messages;
  Balances result;
  if (fullLoad) {
    MoneyList all;
    LoadAllMoneyRecords(store, all, messages);
    result.summed = AccountBalances(all, work, from, to, result.total, messages);
  } else {
    result.summed = SumBalancesInRange(store, work, from, to, result.total, messages);
  }
  for (const AccountRecord& account : work) result.balances.push_back(account.balance);
  result.shown = messages.shown;
  return result;
}

TEST_F(RangeReadsTest, TheBalanceReportsSumsOfARangeAgreeWithTheFullLoad) {
  Seed(1500);
  // Large amounts in one account, stored in an order other than their dates': taken by date the
  // early income and the next expense would pass the limit, in key order nothing does.
  for (const auto& [amount, day, type] :
       {std::tuple{1000000000, 1, kExpense}, {1000000000, 2, kIncome}, {1500000000, 0, kIncome}}) {
    MoneyRecord record = testing::MakeMoney(accountKeys_[1], u"Big", amount,
                                            SystemTime{2013, static_cast<std::uint16_t>(2 + day),
                                                       0, 1, 0, 0, 0, 0},
                                            type);
    AddMoney(record);
  }
  const AccountList accounts = Accounts();
  for (const auto& [from, to] : {std::pair<std::uint32_t, std::uint32_t>{20100101, 20101231},
                                 {20080101, 20131231}, {20130101, 20131231},
                                 {20300101, 20301231}, {20120301, 20120229}, {0, 0xFFFFFFFF}}) {
    const Balances expected = SummedInRange(*store_, accounts, from, to, true);
    EXPECT_EQ(SummedInRange(*store_, accounts, from, to, false), expected)
        << from << " to " << to;
    if (from == 20130101) {
      EXPECT_TRUE(expected.summed);
      EXPECT_EQ(expected.balances[1], 1500000000) << "the large amounts' balance, in key order";
    }
  }
  EXPECT_TRUE(ui_.log.empty());

  // The companion's sums, through the order and over a volume that keeps none.
  const std::filesystem::path plain = WithoutOrders();
  const auto companion = [&accounts](const std::filesystem::path& file, std::uint32_t from,
                                     std::uint32_t to) {
    auto opened = platform::VolumeReader::Open(file);
    Balances result;
    if (!opened.reader) return result;
    StoreReader reader(*opened.reader);
    AccountList work;
    for (const AccountRecord& account : accounts) work.Append(account);
    testing::RecordingMessages messages;
    result.summed = reader.SumBalances(work, from, to, result.total, messages).value_or(false);
    for (const AccountRecord& account : work) result.balances.push_back(account.balance);
    result.shown = messages.shown;
    return result;
  };
  for (const auto& [from, to] : {std::pair<std::uint32_t, std::uint32_t>{20130101, 20131231},
                                 {20080101, 20131231}, {20300101, 20301231}}) {
    const Balances ordered = companion(VolumeFile(), from, to);
    EXPECT_EQ(ordered, companion(plain, from, to)) << from << " to " << to;
    EXPECT_EQ(ordered.summed, from != 20300101);
  }
}

TEST_F(RangeReadsTest, DamagedRecordsAreMetAsTheFullWalkMeetsThem) {
  Seed(600);
  // One record that cannot be decoded, standing in every order where such a record stands.
  platform::OpenedDatabase money = store_->Volume().OpenDatabase(store::kMoneyDatabaseName);
  platform::Record first;
  const platform::Oid broken = money.handle.ReadRecord(first);
  ASSERT_NE(broken, 0u);
  money.handle.Close();
  store_.reset();
  const std::string oid = std::to_string(broken);
  ASSERT_TRUE(platform::testing::RunSqliteProgram(
      VolumeFile(), "UPDATE records SET props = x'01' WHERE oid = " + oid +
                        "; UPDATE ordered_records SET props = x'01', value = 4294967297"
                        " WHERE oid = " + oid +
                        "; UPDATE dated_records SET grp = 4294967297, date = 0, carried = x''"
                        " WHERE oid = " + oid + ";"));
  Restart();
  const std::filesystem::path plain = WithoutOrders();
  const Read ordered = ReadWith(VolumeFile(), MoneySelection{accountKeys_[0], 20100101, 20101231});
  EXPECT_FALSE(ordered.ok);
  EXPECT_EQ(ordered.error, platform::StoreError::Corrupt);
  ExpectTheSameAnswers(plain);

  // The device program leaves it out and says so once, as its full load does.
  Restart();
  Open();
  const AccountList accounts = Accounts();
  const Balances summed = SummedInRange(*store_, accounts, 0, 0xFFFFFFFF, false);
  EXPECT_EQ(summed, SummedInRange(*store_, accounts, 0, 0xFFFFFFFF, true));
  EXPECT_EQ(summed.shown, std::vector<std::u16string>{u"There are problems with Quidora database !"});
}

}  // namespace
}  // namespace quidora
