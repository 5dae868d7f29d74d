#include <gtest/gtest.h>

#include "builders.h"
#include "core/date.h"
#include "core/money_record.h"

namespace quidora {
namespace {

using testing::Day;

struct DateCase {
  SystemTime date;
  std::u16string_view texts[4];
  std::uint32_t number;
};

class DateTexts : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateTexts, AllViewTypesAndNumber) {
  const DateCase& c = GetParam();
  MoneyRecord record;
  ASSERT_TRUE(record.SetDate(c.date));
  for (std::uint32_t type = 0; type < 4; ++type) {
    EXPECT_EQ(record.DateText(type).view(), c.texts[type]) << "view type " << type;
  }
  EXPECT_EQ(record.DateNumber(), c.number);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DateTexts,
    ::testing::Values(
        DateCase{Day(2007, 3, 5), {u"05-03-07", u"05/03/07", u"03-05-07", u"03/05/07"}, 20070305},
        DateCase{Day(2005, 10, 29), {u"29-10-05", u"29/10/05", u"10-29-05", u"10/29/05"}, 20051029},
        DateCase{Day(2000, 1, 1), {u"01-01-00", u"01/01/00", u"01-01-00", u"01/01/00"}, 20000101},
        // No calendar check beyond the ranges: day 0 and 31 February are taken as they are.
        DateCase{Day(2005, 2, 0), {u"00-02-05", u"00/02/05", u"02-00-05", u"02/00/05"}, 20050200},
        DateCase{Day(2005, 2, 31), {u"31-02-05", u"31/02/05", u"02-31-05", u"02/31/05"}, 20050231},
        DateCase{Day(1000, 12, 31), {u"31-12-00", u"31/12/00", u"12-31-00", u"12/31/00"}, 10001231},
        DateCase{Day(9999, 0, 9), {u"09-00-99", u"09/00/99", u"00-09-99", u"00/09/99"}, 99990009}));

TEST(DateText, OtherViewTypesGiveTypeZero) {
  MoneyRecord record;
  record.SetDate(Day(2005, 10, 29));
  EXPECT_EQ(record.DateText(7).view(), u"29-10-05");
  EXPECT_EQ(record.DateText(0xFFFFFFFF).view(), u"29-10-05");
}

class RefusedDate : public ::testing::TestWithParam<SystemTime> {};

// A refused date still replaces the calendar date; texts and number stay those of before.
TEST_P(RefusedDate, KeepsTextsAndNumberButTakesTheDate) {
  MoneyRecord record;
  ASSERT_TRUE(record.SetDate(Day(2005, 10, 29)));
  SystemTime refused = GetParam();
  refused.hour = 13;
  EXPECT_FALSE(record.SetDate(refused));
  EXPECT_EQ(record.Date(), refused);
  EXPECT_EQ(record.DateNumber(), 20051029u);
  EXPECT_EQ(record.DateText(2).view(), u"10-29-05");
}

INSTANTIATE_TEST_SUITE_P(Dates, RefusedDate,
                         ::testing::Values(Day(999, 1, 1), Day(10000, 1, 1), Day(2005, 13, 1),
                                           Day(2005, 1, 32), Day(0, 0, 0)));

TEST(DateText, NeverSetDateHasNoTextsAndNumberZero) {
  MoneyRecord record;
  EXPECT_FALSE(record.SetDate(Day(999, 1, 1)));
  EXPECT_EQ(record.DateNumber(), 0u);
  EXPECT_TRUE(record.DateText(0).empty());
}

TEST(DateText, OtherDateFieldsAreKeptUnchanged) {
  SystemTime date = Day(2005, 10, 29);
  date.dayOfWeek = 9;  // wrong on purpose: neither checked nor corrected
  date.milliseconds = 999;
  AccountRecord account;
  ASSERT_TRUE(account.SetDate(date));
  EXPECT_EQ(account.Date(), date);
  EXPECT_EQ(account.DateText(1).view(), u"29/10/05");
}

TEST(DateRange, IncludesBothEnds) {
  EXPECT_TRUE(IsInDateRange(20050101, 20050101, 20050101));
  EXPECT_FALSE(IsInDateRange(20050102, 20050101, 20050101));
  EXPECT_FALSE(IsInDateRange(20041231, 20050101, 20050101));
  EXPECT_TRUE(IsInDateRange(20051231, 20050101, 20051231));
  // A range that starts after it ends holds nothing.
  EXPECT_FALSE(IsInDateRange(20050601, 20051231, 20050101));
}

}  // namespace
}  // namespace quidora
