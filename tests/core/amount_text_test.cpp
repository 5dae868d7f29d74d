#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/amount_text.h"
#include "core/money_record.h"

namespace quidora {
namespace {

struct TypedAmount {
  std::u16string_view text;
  std::uint32_t grouping;
  AmountCheck check;
  std::int32_t cents;  // only for accepted texts
  std::u16string_view dotText;
};

void PrintTo(const TypedAmount& c, std::ostream* out) {
  *out << "text of " << c.text.size() << " units, grouping " << c.grouping;
}

class TypedAmounts : public ::testing::TestWithParam<TypedAmount> {};

TEST_P(TypedAmounts, CheckThenConvert) {
  const TypedAmount& c = GetParam();
  ASSERT_EQ(ValidateAmountText(c.text, c.grouping), c.check);
  if (c.check != AmountCheck::Accepted) return;
  MoneyRecord record;
  ASSERT_TRUE(record.SetAmountFromText(c.text, c.grouping));
  EXPECT_EQ(record.amount, c.cents);
  EXPECT_EQ(record.AmountText(kGroupingDotDecimal).view(), c.dotText);
}

constexpr AmountCheck kOk = AmountCheck::Accepted;
constexpr AmountCheck kInvalid = AmountCheck::Invalid;
constexpr AmountCheck kLarge = AmountCheck::TooLarge;
constexpr AmountCheck kZero = AmountCheck::Zero;

INSTANTIATE_TEST_SUITE_P(
    DotDecimal, TypedAmounts,
    ::testing::Values(
        TypedAmount{u"12.5", 0, kOk, 1250, u"12.50"},
        TypedAmount{u"1,234.567", 0, kOk, 123457, u"1,234.57"},
        TypedAmount{u"1,2,3", 0, kOk, 12300, u"123.00"},
        TypedAmount{u"0.995", 0, kOk, 100, u"1.00"}, TypedAmount{u"0.005", 0, kOk, 1, u"0.01"},
        TypedAmount{u"0.0049", 0, kZero, 0, u""}, TypedAmount{u".5", 0, kOk, 50, u"0.50"},
        TypedAmount{u"5.", 0, kOk, 500, u"5.00"},
        TypedAmount{u"1000000", 0, kOk, 100000000, u"1,000,000.00"},
        TypedAmount{u"1,000,000.00", 0, kOk, 100000000, u"1,000,000.00"},
        TypedAmount{u"999999.995", 0, kOk, 100000000, u"1,000,000.00"},
        TypedAmount{u"1000000.01", 0, kLarge, 0, u""},
        TypedAmount{u"1000000.005", 0, kLarge, 0, u""},
        TypedAmount{u"00000000001", 0, kLarge, 0, u""},
        // Nine integer digits plus two cent digits are eleven characters.
        TypedAmount{u"000000001", 0, kLarge, 0, u""},
        TypedAmount{u"00000001", 0, kOk, 100, u"1.00"},
        TypedAmount{u"99999999999999999999", 0, kLarge, 0, u""},
        TypedAmount{u"0", 0, kZero, 0, u""}, TypedAmount{u"0.00", 0, kZero, 0, u""},
        TypedAmount{u"0.004", 0, kZero, 0, u""}, TypedAmount{u"", 0, kZero, 0, u""},
        TypedAmount{u"-5", 0, kInvalid, 0, u""}, TypedAmount{u"5e2", 0, kInvalid, 0, u""},
        TypedAmount{u".", 0, kInvalid, 0, u""}, TypedAmount{u",", 0, kInvalid, 0, u""},
        TypedAmount{u"1 000", 0, kInvalid, 0, u""}, TypedAmount{u" 5", 0, kInvalid, 0, u""},
        TypedAmount{u"1.2.3", 0, kInvalid, 0, u""},
        TypedAmount{u"\u0665", 0, kInvalid, 0, u""}));  // an Arabic-Indic 5

INSTANTIATE_TEST_SUITE_P(
    CommaDecimal, TypedAmounts,
    ::testing::Values(TypedAmount{u"1.000,87", 1, kOk, 100087, u"1,000.87"},
                      TypedAmount{u"1,000,87", 1, kInvalid, 0, u""},
                      // "," is the decimal symbol here: 1 with fraction digits 00087.
                      TypedAmount{u"1,000.87", 1, kOk, 100, u"1.00"},
                      TypedAmount{u"12,5", 1, kOk, 1250, u"12.50"},
                      TypedAmount{u"0,0", 1, kZero, 0, u""},
                      TypedAmount{u"1.000.000,00", 1, kOk, 100000000, u"1,000,000.00"},
                      TypedAmount{u"1.000.000,01", 1, kLarge, 0, u""}));

// Any grouping value other than 1 reads as grouping 0.
INSTANTIATE_TEST_SUITE_P(OtherGroupingValues, TypedAmounts,
                         ::testing::Values(TypedAmount{u"1,000.87", 7, kOk, 100087, u"1,000.87"},
                                           TypedAmount{u"1.000,87", 2, kOk, 100, u"1.00"}));

TEST(AmountText, MissingTextIsZeroAndConvertsNothing) {
  EXPECT_EQ(ValidateAmountText(std::nullopt, 0), AmountCheck::Zero);
  MoneyRecord record;
  record.amount = 42;
  EXPECT_FALSE(record.SetAmountFromText(std::nullopt, 0));
  EXPECT_FALSE(record.SetAmountFromText(u"", 0));
  EXPECT_EQ(record.amount, 42);
  EXPECT_TRUE(record.AmountText(0).empty());
}

TEST(AmountText, ResultCodesAreTheProgramsNumbers) {
  EXPECT_EQ(static_cast<std::uint32_t>(AmountCheck::Accepted), 560u);
  EXPECT_EQ(static_cast<std::uint32_t>(AmountCheck::Invalid), 561u);
  EXPECT_EQ(static_cast<std::uint32_t>(AmountCheck::TooLarge), 562u);
  EXPECT_EQ(static_cast<std::uint32_t>(AmountCheck::Zero), 563u);
}

TEST(AmountText, MessagesFollowTheGrouping) {
  EXPECT_EQ(LoadString(AmountCheckMessage(AmountCheck::TooLarge, 0)),
            u"You can enter not more than 1,000,000.00 ");
  EXPECT_EQ(LoadString(AmountCheckMessage(AmountCheck::TooLarge, 1)),
            u"You can enter not more than 1.000.000,00 ");
  EXPECT_EQ(LoadString(AmountCheckMessage(AmountCheck::Zero, 0)), u"You can not enter 0.0 amount");
  EXPECT_EQ(LoadString(AmountCheckMessage(AmountCheck::Zero, 1)), u"You can not enter 0,0 amount");
  EXPECT_EQ(AmountCheckMessage(AmountCheck::Invalid, 1), StringId::AmountInvalid);
}

struct WrittenAmount {
  std::int64_t cents;
  std::u16string_view dot;
  std::u16string_view comma;
};

class WrittenAmounts : public ::testing::TestWithParam<WrittenAmount> {};

TEST_P(WrittenAmounts, BothNotations) {
  const WrittenAmount& c = GetParam();
  MoneyRecord record;
  ASSERT_TRUE(record.SetAmount(c.cents));
  EXPECT_EQ(record.AmountText(kGroupingDotDecimal).view(), c.dot);
  EXPECT_EQ(record.AmountText(kGroupingCommaDecimal).view(), c.comma);
  EXPECT_EQ(record.AmountText(2).view(), c.dot);
}

INSTANTIATE_TEST_SUITE_P(
    Cents, WrittenAmounts,
    ::testing::Values(
        WrittenAmount{0, u"0.00", u"0,00"}, WrittenAmount{7, u"0.07", u"0,07"},
        WrittenAmount{50, u"0.50", u"0,50"}, WrittenAmount{99, u"0.99", u"0,99"},
        WrittenAmount{100, u"1.00", u"1,00"}, WrittenAmount{99999, u"999.99", u"999,99"},
        WrittenAmount{100000, u"1,000.00", u"1.000,00"},
        WrittenAmount{123456789, u"1,234,567.89", u"1.234.567,89"},
        WrittenAmount{2147483647, u"21,474,836.47", u"21.474.836,47"},
        WrittenAmount{2147483648, u"21,474,836.48", u"21.474.836,48"},
        WrittenAmount{-5, u"-0.05", u"-0,05"}, WrittenAmount{-100000, u"-1,000.00", u"-1.000,00"},
        WrittenAmount{INT64_MIN, u"-92,233,720,368,547,758.08", u"-92.233.720.368.547.758,08"}));

TEST(AmountText, SetAmountLeavesTheAmountFieldAlone) {
  MoneyRecord record;
  record.amount = 12;
  ASSERT_TRUE(record.SetAmount(500));
  EXPECT_EQ(record.amount, 12);
  EXPECT_EQ(record.AmountText(0).view(), u"5.00");
}

}  // namespace
}  // namespace quidora
