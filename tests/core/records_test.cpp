#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "builders.h"
#include "core/account_record.h"
#include "core/category_record.h"
#include "core/money_record.h"

namespace quidora {
namespace {

using testing::Day;

TEST(MoneyRecord, ConstructAndReset) {
  MoneyRecord record;
  EXPECT_EQ(record.key, 0u);
  EXPECT_EQ(record.accountKey, 0u);
  EXPECT_EQ(record.type, kExpense);
  EXPECT_EQ(record.DateNumber(), 0u);
  EXPECT_FALSE(record.HasCategory());
  EXPECT_FALSE(record.HasMemo());

  record = testing::Money(20051029, 1250, kIncome, 7, u"Food");
  record.key = 99;
  record.SetMemo(u"lunch");
  record.Reset();
  EXPECT_EQ(record.key, kNoKey);
  EXPECT_EQ(record.accountKey, kNoKey);
  EXPECT_EQ(record.type, kExpense);
  EXPECT_EQ(record.amount, 0);
  EXPECT_EQ(record.DateNumber(), 0u);
  EXPECT_TRUE(record.DateText(0).empty());
  EXPECT_TRUE(record.AmountText(0).empty());
  EXPECT_FALSE(record.HasCategory());
  EXPECT_FALSE(record.HasMemo());
  // The calendar date survives a reset.
  EXPECT_EQ(record.Date(), Day(2005, 10, 29));
}

TEST(MoneyRecord, MissingAndEmptyTexts) {
  MoneyRecord record;
  ASSERT_TRUE(record.SetCategory(u"Food"));
  EXPECT_FALSE(record.SetCategory(u""));
  EXPECT_FALSE(record.SetCategory(std::nullopt));
  EXPECT_EQ(record.Category(), u"Food");

  EXPECT_FALSE(record.SetMemo(std::nullopt));
  EXPECT_FALSE(record.HasMemo());
  EXPECT_TRUE(record.SetMemo(u""));
  EXPECT_TRUE(record.HasMemo());
  EXPECT_EQ(record.Memo(), u"");
  ASSERT_TRUE(record.SetMemo(u"bus"));
  EXPECT_FALSE(record.SetMemo(std::nullopt));
  EXPECT_EQ(record.Memo(), u"bus");
}

TEST(MoneyRecord, SettingATextFromItselfKeepsIt) {
  MoneyRecord record;
  record.SetMemo(u"a memo longer than any small buffer");
  ASSERT_TRUE(record.SetMemo(record.Memo()));
  EXPECT_EQ(record.Memo(), u"a memo longer than any small buffer");
  ASSERT_TRUE(record.SetMemo(record.Memo().substr(2, 4)));
  EXPECT_EQ(record.Memo(), u"memo");
  ASSERT_TRUE(record.SetMemo(record.Memo().substr(1)));
  EXPECT_EQ(record.Memo(), u"emo");
  record.SetCategory(u"Food");
  ASSERT_TRUE(record.SetCategory(record.Category().substr(1)));
  EXPECT_EQ(record.Category(), u"ood");
}

// Category and memo are kept inside the record up to the dialogs' limits and outside beyond;
// both kinds must survive moves, copies and being set over each other.
TEST(MoneyRecord, ShortAndLongTextsThroughMovesAndCopies) {
  const std::u16string longMemo(31, u'L');
  const std::u16string longCategory(23, u'C');
  const std::u16string shortMemo(30, u's');
  MoneyRecord record;
  ASSERT_TRUE(record.SetMemo(longMemo));
  ASSERT_TRUE(record.SetCategory(longCategory));
  MoneyRecord moved(std::move(record));
  EXPECT_EQ(moved.Memo(), longMemo);
  EXPECT_EQ(moved.Category(), longCategory);
  MoneyRecord assigned;
  assigned.SetMemo(shortMemo);
  assigned = std::move(moved);
  EXPECT_EQ(assigned.Memo(), longMemo);
  ASSERT_TRUE(assigned.SetMemo(shortMemo));
  EXPECT_EQ(assigned.Memo(), shortMemo);
  MoneyRecord copy;
  copy.CopyFrom(assigned);
  EXPECT_EQ(copy.Memo(), shortMemo);
  EXPECT_EQ(copy.Category(), longCategory);
  copy.Reset();
  EXPECT_FALSE(copy.HasCategory());
  EXPECT_EQ(assigned.Category(), longCategory);
}

TEST(MoneyRecord, CopyFromCopiesEverythingIntoOwnTexts) {
  MoneyRecord source = testing::Money(20070305, 123456, kIncome, 3, u"Car");
  source.key = 17;
  source.SetMemo(u"tyres");
  SystemTime date = source.Date();
  date.hour = 11;
  source.SetDate(date);

  MoneyRecord copy;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.key, 17u);
  EXPECT_EQ(copy.accountKey, 3u);
  EXPECT_EQ(copy.type, kIncome);
  EXPECT_EQ(copy.amount, 123456);
  EXPECT_EQ(copy.Date(), date);
  EXPECT_EQ(copy.DateText(3).view(), u"03/05/07");
  EXPECT_EQ(copy.AmountText(1).view(), u"1.234,56");
  EXPECT_EQ(copy.Category(), u"Car");
  EXPECT_EQ(copy.Memo(), u"tyres");

  copy.SetMemo(u"changed");
  copy.SetCategory(u"Bills");
  EXPECT_EQ(source.Memo(), u"tyres");
  EXPECT_EQ(source.Category(), u"Car");
}

TEST(MoneyRecord, CopyFromKeepsTheTextsItsSourceLacks) {
  MoneyRecord node = testing::Money(20050101, 100);
  node.SetMemo(u"old memo");
  MoneyRecord source;  // no category, no memo
  source.SetDate(Day(2006, 6, 6));
  node.CopyFrom(source);
  EXPECT_EQ(node.Category(), u"Food");
  EXPECT_EQ(node.Memo(), u"old memo");
  EXPECT_EQ(node.DateNumber(), 20060606u);
}

TEST(MoneyRecord, CopyFromRebuildsAmountTextsFromTheAmount) {
  MoneyRecord source;
  source.amount = 700;
  source.SetAmount(5);  // texts out of step with the amount
  MoneyRecord copy;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.AmountText(0).view(), u"7.00");
}

TEST(MoneyRecord, CopyOfARefusedDateHasNoDateTexts) {
  MoneyRecord source = testing::Money(20051029, 100);
  source.SetDate(Day(999, 1, 1));  // refused: source keeps its old texts
  MoneyRecord copy;
  copy.CopyFrom(source);
  EXPECT_EQ(source.DateNumber(), 20051029u);
  EXPECT_EQ(copy.DateNumber(), 0u);
  EXPECT_EQ(copy.Date(), Day(999, 1, 1));
}

TEST(AccountRecord, ResetCopyAndTexts) {
  AccountRecord account = testing::Account(5, u"Cash", 20040202);
  account.balance = -300;
  account.SetDescription(u"wallet");

  AccountRecord copy;
  copy.CopyFrom(account);
  EXPECT_EQ(copy.key, 5u);
  EXPECT_EQ(copy.balance, -300);
  EXPECT_EQ(copy.Name(), u"Cash");
  EXPECT_EQ(copy.Description(), u"wallet");
  EXPECT_EQ(copy.DateText(0).view(), u"02-02-04");

  EXPECT_FALSE(copy.SetName(u""));
  EXPECT_EQ(copy.Name(), u"Cash");
  EXPECT_TRUE(copy.SetDescription(u""));
  EXPECT_TRUE(copy.HasDescription());

  account.Reset();
  EXPECT_EQ(account.key, kNoKey);
  EXPECT_EQ(account.balance, 0);
  EXPECT_EQ(account.DateNumber(), 0u);
  EXPECT_FALSE(account.HasName());
  EXPECT_FALSE(account.HasDescription());
  EXPECT_EQ(copy.Name(), u"Cash");
}

TEST(CategoryRecord, NameRulesAndCopy) {
  CategoryRecord category;
  EXPECT_FALSE(category.HasName());
  EXPECT_EQ(category.total, 0);
  EXPECT_FALSE(category.SetName(u""));
  ASSERT_TRUE(category.SetName(u"Food"));
  category.total = 250;

  CategoryRecord copy;
  copy.SetName(u"Old");
  copy.CopyFrom(category);
  EXPECT_EQ(copy.Name(), u"Food");
  EXPECT_EQ(copy.total, 250);

  CategoryRecord nameless;
  copy.CopyFrom(nameless);
  EXPECT_EQ(copy.Name(), u"Food");
  EXPECT_EQ(copy.total, 0);

  copy.ClearName();
  EXPECT_FALSE(copy.HasName());
  EXPECT_EQ(category.Name(), u"Food");
}

TEST(Records, TextsOfAnyLengthAndContent) {
  std::u16string memo(70000, u'x');
  memo[3] = u'\0';
  memo[4] = static_cast<char16_t>(0xD800);  // a lone surrogate is kept as a unit
  MoneyRecord record;
  ASSERT_TRUE(record.SetMemo(memo));
  EXPECT_EQ(record.Memo(), memo);
  MoneyRecord moved = std::move(record);
  EXPECT_EQ(moved.Memo(), memo);
}

}  // namespace
}  // namespace quidora
