#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "builders.h"
#include "core/sorts.h"
#include "resources/strings/string_table.h"
#include "scripted_messages.h"

namespace quidora {
namespace {

using testing::Account;
using testing::Category;
using testing::Money;
using testing::ScriptedMessages;

// Money records tell themselves apart by their amount.
std::vector<std::int32_t> AmountsOf(const MoneyList& list) {
  std::vector<std::int32_t> amounts;
  for (const MoneyRecord& r : list) amounts.push_back(r.amount);
  return amounts;
}

template <typename List>
std::vector<std::u16string> NamesOf(const List& list) {
  std::vector<std::u16string> names;
  for (const auto& r : list) names.emplace_back(r.Name());
  return names;
}

MoneyList TiedDates() {
  MoneyList list;
  list.Append(Money(20051029, 1));
  list.Append(Money(20050101, 2));
  list.Append(Money(20051029, 3));
  return list;
}

TEST(SortMoneyByDate, AscendingKeepsTiesInOrder) {
  ScriptedMessages messages;
  MoneyList list = TiedDates();
  ASSERT_TRUE(SortMoneyByDate(list, kAscending, messages));
  EXPECT_EQ(AmountsOf(list), (std::vector<std::int32_t>{2, 1, 3}));
  EXPECT_EQ(list.CursorPosition(), 2u);
}

TEST(SortMoneyByDate, DescendingIsTheReverseOfAscending) {
  ScriptedMessages messages;
  MoneyList list = TiedDates();
  ASSERT_TRUE(SortMoneyByDate(list, kDescending, messages));
  EXPECT_EQ(AmountsOf(list), (std::vector<std::int32_t>{3, 1, 2}));
}

TEST(SortMoneyByDate, NoOrderAndDamagedDirectionsSortAscending) {
  for (std::uint32_t direction : {kNoOrder, 3u, 0xFFFFFFFFu}) {
    ScriptedMessages messages;
    MoneyList list = TiedDates();
    ASSERT_TRUE(SortMoneyByDate(list, direction, messages));
    EXPECT_EQ(AmountsOf(list), (std::vector<std::int32_t>{2, 1, 3})) << direction;
  }
}

TEST(SortMoneyByDate, EmptyListSortsAndStaysEmpty) {
  ScriptedMessages messages;
  MoneyList empty;
  EXPECT_TRUE(SortMoneyByDate(empty, kDescending, messages));
  EXPECT_TRUE(empty.empty());
  EXPECT_FALSE(empty.CursorPosition().has_value());
}

// Many ties in a larger list: the result must equal a stable sort of the old order, and
// descending its exact reverse, with every record kept.
TEST(SortMoneyByDate, MatchesAStableSortOnManyTies) {
  std::mt19937 random(7);
  MoneyList list;
  std::vector<std::pair<std::uint32_t, std::int32_t>> expected;
  for (std::int32_t i = 0; i < 5000; ++i) {
    const std::uint32_t date = 20050101 + static_cast<std::uint32_t>(random() % 20);
    list.Append(Money(date, i));
    expected.emplace_back(date, i);
  }
  std::stable_sort(expected.begin(), expected.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::int32_t> ascending;
  for (const auto& e : expected) ascending.push_back(e.second);

  ScriptedMessages messages;
  ASSERT_TRUE(SortMoneyByDate(list, kAscending, messages));
  EXPECT_EQ(AmountsOf(list), ascending);
  ASSERT_TRUE(SortMoneyByDate(list, kAscending, messages));
  EXPECT_EQ(AmountsOf(list), ascending);  // sorting a sorted list changes nothing

  MoneyList again;
  for (const auto& e : expected) again.Append(Money(e.first, e.second));
  std::vector<std::int32_t> descending(ascending.rbegin(), ascending.rend());
  // Built in ascending order, so descending must reverse it exactly.
  ASSERT_TRUE(SortMoneyByDate(again, kDescending, messages));
  EXPECT_EQ(AmountsOf(again), descending);
}

TEST(SortCategoriesByName, IgnoresCase) {
  ScriptedMessages messages;
  CategoryList list;
  list.Append(Category(u"bills"));
  list.Append(Category(u"Food"));
  list.Append(Category(u"Car"));
  ASSERT_TRUE(SortCategoriesByName(list, kAscending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"bills", u"Car", u"Food"}));
  ASSERT_TRUE(SortCategoriesByName(list, kDescending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"Food", u"Car", u"bills"}));
}

TEST(SortCategoriesByName, ShorterPrefixFirstAndLettersBeyondAscii) {
  ScriptedMessages messages;
  CategoryList list;
  list.Append(Category(u"Éclair"));
  list.Append(Category(u"CARS"));
  list.Append(Category(u"éa"));
  list.Append(Category(u"car"));
  ASSERT_TRUE(SortCategoriesByName(list, kAscending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"car", u"CARS", u"éa", u"Éclair"}));
}

TEST(SortCategoriesByTotal, Descending) {
  ScriptedMessages messages;
  CategoryList list;
  list.Append(Category(u"A", -500));
  list.Append(Category(u"B", 1200));
  list.Append(Category(u"C", 0));
  ASSERT_TRUE(SortCategoriesByTotal(list, kDescending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"B", u"C", u"A"}));
  ASSERT_TRUE(SortCategoriesByTotal(list, kAscending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"A", u"C", u"B"}));
}

TEST(SortCategoriesByTotal, ExtremeTotalsOrderAsSignedNumbers) {
  ScriptedMessages messages;
  CategoryList list;
  list.Append(Category(u"Max", INT32_MAX));
  list.Append(Category(u"Min", INT32_MIN));
  list.Append(Category(u"Minus", -1));
  ASSERT_TRUE(SortCategoriesByTotal(list, kAscending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"Min", u"Minus", u"Max"}));
}

TEST(AccountSorts, ByNameDateAndBalance) {
  ScriptedMessages messages;
  AccountList list;
  list.Append(Account(1, u"savings", 20060101));
  list.Append(Account(2, u"Bank", 20040101));
  list.Append(Account(3, u"Cash", 20050101));
  list[0].balance = 10;
  list[1].balance = -10;
  list[2].balance = 0;

  ASSERT_TRUE(SortAccountsBookByName(list, kAscending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"Bank", u"Cash", u"savings"}));
  ASSERT_TRUE(SortAccountsBookByDate(list, kDescending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"savings", u"Cash", u"Bank"}));
  ASSERT_TRUE(SortBalanceByName(list, kDescending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"savings", u"Cash", u"Bank"}));
  ASSERT_TRUE(SortBalanceByAmount(list, kAscending, messages));
  EXPECT_EQ(NamesOf(list), (std::vector<std::u16string>{u"Bank", u"Cash", u"savings"}));
  // The records moved whole: keys and texts went with their names.
  EXPECT_EQ(list[0].key, 2u);
  EXPECT_EQ(list[0].DateText(0).view(), u"01-01-04");
}

// Equal names cannot come from the dialogs, but a damaged store could hold them; the sort
// must still keep every record.
TEST(AccountSorts, EqualNamesKeepEveryRecord) {
  ScriptedMessages messages;
  AccountList list;
  list.Append(Account(1, u"Cash"));
  list.Append(Account(2, u"Bank"));
  list.Append(Account(3, u"Cash"));
  ASSERT_TRUE(SortAccountsBookByName(list, kAscending, messages));
  std::vector<std::uint32_t> keys;
  for (const AccountRecord& a : list) keys.push_back(a.key);
  EXPECT_EQ(keys, (std::vector<std::uint32_t>{2, 1, 3}));
}

TEST(NameSorts, ARecordWithoutANameFailsWithTheMessageAndChangesNothing) {
  ScriptedMessages messages;
  AccountList accounts;
  accounts.Append(Account(1, u"Zed"));
  accounts.Append(AccountRecord());
  accounts.Append(Account(2, u"Abe"));
  messages.Expect(std::u16string(LoadString(StringId::SortRecordsError)));
  EXPECT_FALSE(SortBalanceByName(accounts, kAscending, messages));
  EXPECT_EQ(NamesOf(accounts), (std::vector<std::u16string>{u"Zed", u"", u"Abe"}));
  ASSERT_EQ(messages.log.size(), 1u);
  EXPECT_EQ(messages.log[0].icon, MessageIcon::Exclamation);

  CategoryList categories;
  categories.Append(Category(u"Food"));
  categories.Append(Category(u"Car"));
  categories[0].ClearName();
  messages.Expect(std::u16string(LoadString(StringId::SortCategoriesNameError)));
  EXPECT_FALSE(SortCategoriesByName(categories, kDescending, messages));
  EXPECT_EQ(NamesOf(categories), (std::vector<std::u16string>{u"", u"Car"}));
}

TEST(TapColumn, TappingTheSortedColumnTogglesTheDirection) {
  ColumnTap tap = TapColumn(kAscending, kAscending, 1);
  EXPECT_EQ(tap.direction, kDescending);
  EXPECT_EQ(tap.tappedImage, kDescending);
  EXPECT_EQ(tap.sortColumn, 1u);
  EXPECT_EQ(tap.otherImage, kNoOrder);
  tap = TapColumn(tap.tappedImage, tap.direction, 1);
  EXPECT_EQ(tap.direction, kAscending);
  EXPECT_EQ(tap.tappedImage, kAscending);
}

TEST(TapColumn, TappingTheOtherColumnKeepsTheDirectionAndMovesTheArrow) {
  const ColumnTap tap = TapColumn(kNoOrder, kDescending, 0);
  EXPECT_EQ(tap.sortColumn, 0u);
  EXPECT_EQ(tap.direction, kDescending);
  EXPECT_EQ(tap.tappedImage, kDescending);
  EXPECT_EQ(tap.otherImage, kNoOrder);
  // No order chosen yet: the column becomes the sorted one and still shows no arrow.
  const ColumnTap first = TapColumn(kNoOrder, kNoOrder, 1);
  EXPECT_EQ(first.sortColumn, 1u);
  EXPECT_EQ(first.direction, kNoOrder);
  EXPECT_EQ(first.tappedImage, kNoOrder);
  // A damaged image reads as "another column was sorted".
  EXPECT_EQ(TapColumn(9, kAscending, 1).direction, kAscending);
}

}  // namespace
}  // namespace quidora
