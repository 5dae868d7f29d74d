#include <gtest/gtest.h>

#include <vector>

#include "builders.h"
#include "core/record_list.h"

namespace quidora {
namespace {

using testing::Account;
using testing::Category;
using testing::Money;

// Money records dated 20050101, 20050102, ... so that a record shows where it came from.
MoneyList MoneyListOf(int count) {
  MoneyList list;
  for (int i = 0; i < count; ++i)
    list.Append(Money(20050101u + static_cast<std::uint32_t>(i), 100));
  return list;
}

std::vector<std::uint32_t> DatesOf(const MoneyList& list) {
  std::vector<std::uint32_t> dates;
  for (const MoneyRecord& record : list) dates.push_back(record.DateNumber());
  return dates;
}

TEST(RecordList, EmptyListAnswersNone) {
  MoneyList list;
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.Previous(), nullptr);
  EXPECT_EQ(list.Current(), nullptr);
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.FindByPosition(0), nullptr);
  EXPECT_EQ(list.FindByDateNumber(0), nullptr);
  EXPECT_EQ(list.ReplaceAt(0, Money(20050101, 1)), nullptr);
  EXPECT_FALSE(list.CursorPosition().has_value());
}

TEST(RecordList, AppendGivesPositionsAndMovesTheCursor) {
  MoneyList list;
  MoneyRecord* first = list.Append(Money(20050101, 1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(list.CursorPosition(), 0u);
  list.Append(Money(20050102, 2));
  list.Append(Money(20050103, 3));
  EXPECT_EQ(list.CursorPosition(), 2u);
  EXPECT_EQ(list.Current()->amount, 3);
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list.PositionOf(&list[i]), i);
  }
}

TEST(RecordList, WalkingTheCursor) {
  MoneyList list = MoneyListOf(3);
  // At the tail Next gives none and the cursor stays.
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.CursorPosition(), 2u);
  // Last does not move the cursor.
  list.First();
  EXPECT_EQ(list.Last()->DateNumber(), 20050103u);
  EXPECT_EQ(list.CursorPosition(), 0u);
  EXPECT_EQ(list.Previous(), nullptr);
  EXPECT_EQ(list.CursorPosition(), 0u);
  EXPECT_EQ(list.Next()->DateNumber(), 20050102u);
  EXPECT_EQ(list.Previous()->DateNumber(), 20050101u);
}

TEST(RecordList, CountLeavesTheCursorOnTheHead) {
  MoneyList list = MoneyListOf(5);
  ASSERT_NE(list.FindByPosition(3), nullptr);
  EXPECT_EQ(list.CursorPosition(), 3u);
  EXPECT_EQ(list.Count(), 5u);
  EXPECT_EQ(list.Next()->DateNumber(), 20050102u);
}

TEST(RecordList, RemoveAtRenumbersAndGoesToTheHead) {
  MoneyList list = MoneyListOf(3);
  ASSERT_TRUE(list.RemoveAt(1));
  EXPECT_EQ(DatesOf(list), (std::vector<std::uint32_t>{20050101, 20050103}));
  EXPECT_EQ(list.CursorPosition(), 0u);
  EXPECT_EQ(list.FindByPosition(1)->DateNumber(), 20050103u);

  EXPECT_FALSE(list.RemoveAt(5));
  EXPECT_EQ(list.size(), 2u);
  ASSERT_TRUE(list.RemoveAt(1));
  ASSERT_TRUE(list.RemoveAt(0));
  EXPECT_EQ(list.First(), nullptr);
}

TEST(RecordList, RemoveFromAnEmptyListDependsOnTheKind) {
  MoneyList money;
  AccountList accounts;
  CategoryList categories;
  EXPECT_TRUE(money.RemoveAt(0));
  EXPECT_TRUE(accounts.RemoveAt(0));
  EXPECT_FALSE(categories.RemoveAt(0));
  EXPECT_FALSE(categories.RemoveByName(u"Food"));
}

TEST(RecordList, ReplaceAtSearchesForwardFromTheCursor) {
  MoneyList list = MoneyListOf(3);
  ASSERT_EQ(list.CursorPosition(), 2u);
  EXPECT_EQ(list.ReplaceAt(0, Money(20991231, 9)), nullptr);
  EXPECT_EQ(list[0].DateNumber(), 20050101u);

  list.First();
  MoneyRecord* replaced = list.ReplaceAt(0, Money(20991231, 9));
  ASSERT_EQ(replaced, &list[0]);
  EXPECT_EQ(list[0].DateNumber(), 20991231u);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list.Next()->DateNumber(), 20050102u);

  // Forward from the cursor: a later position is found and becomes the cursor.
  list.First();
  ASSERT_NE(list.ReplaceAt(2, Money(20300101, 1)), nullptr);
  EXPECT_EQ(list.CursorPosition(), 2u);
  EXPECT_EQ(list.ReplaceAt(3, Money(20300101, 1)), nullptr);
}

TEST(RecordList, ReplaceAtWithItsOwnRecord) {
  MoneyList list = MoneyListOf(2);
  list.First();
  list[0].SetMemo(u"a memo of some length");
  ASSERT_NE(list.ReplaceAt(0, list[0]), nullptr);
  EXPECT_EQ(list[0].Memo(), u"a memo of some length");
}

TEST(RecordList, FindsStartFromTheHeadAndLeaveTheCursor) {
  MoneyList list;
  list.Append(Money(20050101, 1));
  list.Append(Money(20050202, 2));
  list.Append(Money(20050202, 3));
  EXPECT_EQ(list.FindByDateNumber(20050202)->amount, 2);
  EXPECT_EQ(list.CursorPosition(), 1u);
  EXPECT_EQ(list.FindByDateNumber(20990101), nullptr);
  EXPECT_EQ(list.CursorPosition(), 0u);
  EXPECT_EQ(list.FindByPosition(7), nullptr);
  EXPECT_EQ(list.CursorPosition(), 0u);
}

TEST(RecordList, AccountFinds) {
  AccountList list;
  list.Append(Account(1, u"Cash", 20050101));
  list.Append(Account(2, u"Bank", 20060101));
  list[1].balance = -40;
  EXPECT_EQ(list.FindByName(u"Bank")->key, 2u);
  EXPECT_EQ(list.FindByName(u"bank"), nullptr);  // exact, case matters
  EXPECT_EQ(list.CursorPosition(), 0u);
  list.Last();
  list.Next();
  EXPECT_EQ(list.FindByName(u""), nullptr);
  EXPECT_EQ(list.FindByDateNumber(20060101)->key, 2u);
  EXPECT_EQ(list.FindByBalance(-40)->key, 2u);
  EXPECT_EQ(list.FindByBalance(0)->key, 1u);
}

TEST(RecordList, CategoryAppendRefusesAnExactDuplicate) {
  CategoryList list;
  ASSERT_NE(list.Append(Category(u"Food")), nullptr);
  ASSERT_NE(list.Append(Category(u"Car")), nullptr);
  EXPECT_EQ(list.Append(Category(u"Food")), nullptr);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(list.Current()->Name(), u"Food");  // the search stopped on the duplicate
  EXPECT_NE(list.Append(Category(u"food")), nullptr);
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.Append(CategoryRecord()), nullptr);  // no name
  EXPECT_EQ(list.size(), 3u);
}

TEST(RecordList, CategoryRemoveByNameAndFindByTotal) {
  CategoryList list;
  list.Append(Category(u"Food", 10));
  list.Append(Category(u"Car", 20));
  list.Append(Category(u"Bills", 20));
  EXPECT_EQ(list.FindByTotal(20)->Name(), u"Car");
  EXPECT_FALSE(list.RemoveByName(u"car"));
  ASSERT_TRUE(list.RemoveByName(u"Car"));
  EXPECT_EQ(list.CursorPosition(), 0u);
  EXPECT_EQ(list.FindByTotal(20)->Name(), u"Bills");
  EXPECT_EQ(list.PositionOf(list.Current()), 1u);
}

TEST(RecordList, AppendCopiesAndMoveAppendsGiveTheSameRecord) {
  MoneyRecord source = Money(20051029, 1234, kIncome, 4, u"Car");
  source.SetMemo(u"");
  source.SetAmount(1);  // texts out of step with the amount
  MoneyList list;
  list.Append(source);
  MoneyRecord moved = Money(20051029, 1234, kIncome, 4, u"Car");
  moved.SetMemo(u"");
  moved.SetAmount(1);
  list.Append(std::move(moved));
  for (const MoneyRecord& r : list) {
    EXPECT_EQ(r.AmountText(0).view(), u"12.34");
    EXPECT_TRUE(r.HasMemo());
    EXPECT_EQ(r.Category(), u"Car");
  }
  list[0].SetCategory(u"Other");
  EXPECT_EQ(source.Category(), u"Car");
}

TEST(RecordList, ClearEmptiesTheList) {
  MoneyList list = MoneyListOf(4);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.Current(), nullptr);
  list.Append(Money(20050101, 1));
  EXPECT_EQ(list.CursorPosition(), 0u);
}

TEST(RecordList, ReorderTakesOnlyAPermutation) {
  MoneyList list = MoneyListOf(3);
  const std::vector<std::size_t> duplicate{0, 0, 1};
  const std::vector<std::size_t> outOfRange{0, 1, 3};
  const std::vector<std::size_t> tooShort{1, 0};
  EXPECT_FALSE(list.Reorder(duplicate));
  EXPECT_FALSE(list.Reorder(outOfRange));
  EXPECT_FALSE(list.Reorder(tooShort));
  EXPECT_EQ(DatesOf(list), (std::vector<std::uint32_t>{20050101, 20050102, 20050103}));
  const std::vector<std::size_t> order{2, 0, 1};
  ASSERT_TRUE(list.Reorder(order));
  EXPECT_EQ(DatesOf(list), (std::vector<std::uint32_t>{20050103, 20050101, 20050102}));
  EXPECT_EQ(list.CursorPosition(), 2u);
}

TEST(RecordList, PositionsBeyondSixteenBits) {
  MoneyList list;
  list.Reserve(70000);
  for (std::uint32_t i = 0; i < 70000; ++i)
    list.Append(Money(20050101, static_cast<std::int32_t>(i)));
  EXPECT_EQ(list.FindByPosition(69999)->amount, 69999);
  ASSERT_TRUE(list.RemoveAt(65536));
  EXPECT_EQ(list.FindByPosition(65536)->amount, 65537);
  EXPECT_EQ(list.Count(), 69999u);
}

}  // namespace
}  // namespace quidora
