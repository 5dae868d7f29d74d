#include <gtest/gtest.h>

#include <string>

#include "builders.h"
#include "core/sums.h"
#include "resources/strings/string_table.h"
#include "scripted_messages.h"

namespace quidora {
namespace {

using testing::Account;
using testing::Category;
using testing::Money;
using testing::ScriptedMessages;

constexpr std::int32_t kMax = INT32_MAX;

void ExpectOverflow(ScriptedMessages& messages) {
  messages.Expect(std::u16string(LoadString(StringId::BalanceOverflow)));
}

AccountList TwoAccounts() {
  AccountList accounts;
  accounts.Append(Account(1, u"Cash"));
  accounts.Append(Account(2, u"Bank"));
  return accounts;
}

TEST(AccountBalances, SumsEachAccountOverTheRange) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 1000, kIncome, 1));
  money.Append(Money(20050115, 300, kExpense, 1));
  money.Append(Money(20050131, 50, kIncome, 2));
  money.Append(Money(20050201, 7777, kIncome, 1));  // after the range
  money.Append(Money(20041231, 7777, kIncome, 2));  // before it
  money.Append(Money(20050110, 5, kIncome, 9));     // an account not in the list
  AccountList accounts = TwoAccounts();
  std::int64_t total = -1;
  ASSERT_TRUE(AccountBalances(money, accounts, 20050101, 20050131, total, messages));
  EXPECT_EQ(accounts[0].balance, 700);
  EXPECT_EQ(accounts[1].balance, 50);
  EXPECT_EQ(total, 750);
}

TEST(AccountBalances, EmptyListsGiveFalseAtOnce) {
  ScriptedMessages messages;
  MoneyList money;
  AccountList accounts = TwoAccounts();
  accounts[0].balance = 5;
  std::int64_t total = 3;
  EXPECT_FALSE(AccountBalances(money, accounts, 0, 99999999, total, messages));
  EXPECT_EQ(accounts[0].balance, 5);
  EXPECT_EQ(total, 3);
  money.Append(Money(20050101, 1));
  AccountList none;
  EXPECT_FALSE(AccountBalances(money, none, 0, 99999999, total, messages));
}

TEST(AccountBalances, ReachingEitherLimitExactlyIsAllowed) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, kMax, kIncome, 1));
  money.Append(Money(20050101, kMax, kExpense, 2));
  money.Append(Money(20050101, 1, kExpense, 2));
  AccountList accounts = TwoAccounts();
  std::int64_t total = 0;
  ASSERT_TRUE(AccountBalances(money, accounts, 0, 99999999, total, messages));
  EXPECT_EQ(accounts[0].balance, kMax);
  EXPECT_EQ(accounts[1].balance, INT32_MIN);
  EXPECT_EQ(total, -1);
}

TEST(AccountBalances, OverflowStopsWithTheMessageKeepingEarlierBalances) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 40, kIncome, 1));
  money.Append(Money(20050101, kMax, kIncome, 2));
  money.Append(Money(20050101, 1, kIncome, 2));
  AccountList accounts = TwoAccounts();
  accounts[1].balance = 123;
  std::int64_t total = 9;
  ExpectOverflow(messages);
  EXPECT_FALSE(AccountBalances(money, accounts, 0, 99999999, total, messages));
  EXPECT_EQ(accounts[0].balance, 40);
  EXPECT_EQ(accounts[1].balance, 123);
  EXPECT_EQ(total, 9);
}

// The test of both limits runs for income too: an income record larger than the distance
// to the lower limit stops the sum although the sum would rise.
TEST(AccountBalances, IncomeStopsAtTheLowerLimit) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 2000000000, kExpense, 1));
  money.Append(Money(20050101, 200000000, kIncome, 1));
  AccountList accounts = TwoAccounts();
  std::int64_t total = 0;
  ExpectOverflow(messages);
  EXPECT_FALSE(AccountBalances(money, accounts, 0, 99999999, total, messages));
}

// A limit passed on the way counts even when later records bring the sum back.
TEST(AccountBalances, PassingALimitMidwayIsAnOverflow) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, kMax, kIncome, 2));
  money.Append(Money(20050101, 1, kIncome, 2));
  money.Append(Money(20050101, kMax, kExpense, 2));
  AccountList accounts = TwoAccounts();
  std::int64_t total = 0;
  ExpectOverflow(messages);
  EXPECT_FALSE(AccountBalances(money, accounts, 0, 99999999, total, messages));
  EXPECT_EQ(accounts[0].balance, 0);
}

TEST(CategoryTotals, SumsByExactNameAndReportsWhetherAnythingCounted) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 500, kExpense, 1, u"Food"));
  money.Append(Money(20050102, 200, kIncome, 2, u"Food"));
  money.Append(Money(20050103, 900, kExpense, 1, u"food"));  // no such category
  money.Append(Money(20050301, 900, kExpense, 1, u"Car"));   // outside the range
  CategoryList categories;
  categories.Append(Category(u"Food", 77));
  categories.Append(Category(u"Car", 77));
  ASSERT_TRUE(CategoryTotals(money, categories, 20050101, 20050131, messages));
  EXPECT_EQ(categories[0].total, -300);
  EXPECT_EQ(categories[1].total, 0);

  EXPECT_FALSE(CategoryTotals(money, categories, 20060101, 20061231, messages));
  EXPECT_EQ(categories[0].total, 0);
  MoneyList empty;
  EXPECT_FALSE(CategoryTotals(empty, categories, 0, 99999999, messages));
}

TEST(CategoryTotals, OverflowKeepsTheTotalsBeforeIt) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 10, kIncome, 1, u"Car"));
  money.Append(Money(20050101, kMax, kExpense, 1, u"Food"));
  money.Append(Money(20050101, 2, kExpense, 1, u"Food"));
  CategoryList categories;
  categories.Append(Category(u"Car", 5));
  categories.Append(Category(u"Food", 5));
  ExpectOverflow(messages);
  EXPECT_FALSE(CategoryTotals(money, categories, 0, 99999999, messages));
  EXPECT_EQ(categories[0].total, 10);
  EXPECT_EQ(categories[1].total, 5);
}

TEST(CurrentAccountBalance, NegativeBalanceGivesTypeOneAndTheMagnitude) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 100000, kIncome, 1));
  money.Append(Money(20060101, 123456, kExpense, 1));
  money.Append(Money(20060101, 999, kIncome, 2));
  MoneyRecord balance;
  ASSERT_TRUE(CurrentAccountBalance(money, Account(1, u"Cash"), balance, messages));
  EXPECT_EQ(balance.type, 1u);
  EXPECT_EQ(balance.amount, 23456);
  EXPECT_EQ(balance.AmountText(0).view(), u"234.56");
  EXPECT_EQ(balance.AmountText(1).view(), u"234,56");
  ASSERT_TRUE(CurrentAccountBalance(money, Account(2, u"Bank"), balance, messages));
  EXPECT_EQ(balance.type, 0u);
  EXPECT_EQ(balance.amount, 999);
}

TEST(CurrentAccountBalance, EmptyListGivesZero) {
  ScriptedMessages messages;
  MoneyList money;
  MoneyRecord balance;
  balance.type = 1;
  balance.amount = 5;
  ASSERT_TRUE(CurrentAccountBalance(money, Account(1, u"Cash"), balance, messages));
  EXPECT_EQ(balance.type, 0u);
  EXPECT_EQ(balance.amount, 0);
  EXPECT_EQ(balance.AmountText(0).view(), u"0.00");
  EXPECT_EQ(balance.AmountText(1).view(), u"0,00");
}

// Records of other accounts are tested against the current account's sum too.
TEST(CurrentAccountBalance, AnotherAccountsRecordCanOverflow) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, 2000000000, kIncome, 1));
  money.Append(Money(20050101, 200000000, kExpense, 2));
  MoneyRecord balance;
  ExpectOverflow(messages);
  ASSERT_TRUE(CurrentAccountBalance(money, Account(1, u"Cash"), balance, messages));
  EXPECT_EQ(balance.type, 0u);
  EXPECT_EQ(balance.amount, 0);
  EXPECT_EQ(balance.AmountText(0).view(), u"0.00");
}

TEST(CurrentAccountBalance, TheLowestBalanceIsWrittenInFull) {
  ScriptedMessages messages;
  MoneyList money;
  money.Append(Money(20050101, kMax, kExpense, 1));
  money.Append(Money(20050101, 1, kExpense, 1));
  MoneyRecord balance;
  ASSERT_TRUE(CurrentAccountBalance(money, Account(1, u"Cash"), balance, messages));
  EXPECT_EQ(balance.type, 1u);
  EXPECT_EQ(balance.AmountText(0).view(), u"21,474,836.48");
  EXPECT_EQ(balance.amount, kMax);
}

}  // namespace
}  // namespace quidora
