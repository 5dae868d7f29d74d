// The transactions file this program exports, read back: every date form, both notations and
// both encodings decided from the data, the questions asked where the data leave them open,
// two-digit years, and lines that are not records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/csv_files.h"
#include "import/date_reading.h"
#include "import/parse_file.h"
#include "import_test_support.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

using ::testing::ElementsAre;

MoneyRecord Record(SystemTime date, std::uint32_t type, std::int32_t cents, std::u16string_view category,
                   std::u16string_view memo) {
  MoneyRecord record = MakeMoney(1, category, cents, date, type);
  record.SetMemo(memo);
  return record;
}

std::string Exported(std::span<const MoneyRecord> records, std::uint32_t encoding,
                     std::uint32_t dateForm, std::uint32_t grouping, SystemTime reportDate = kToday) {
  return TransactionsCsv(TransactionsFile{reportDate, u"Cash", records},
                         CsvOptions{encoding, dateForm, grouping});
}

TEST(OwnCsvTest, EveryFormNotationAndEncodingIsReadFromTheData) {
  std::vector<MoneyRecord> records;
  records.push_back(Record({2024, 2, 0, 25, 0, 0, 0, 0}, kExpense, 123456, u"Food", u"a, \"quoted\" memo"));
  records.push_back(Record({1999, 11, 0, 3, 0, 0, 0, 0}, kIncome, 100000000, u"Salary", u""));
  records.push_back(Record({2030, 1, 0, 1, 0, 0, 0, 0}, kExpense, 1, u"Café", u"line\r\nbreak"));
  for (std::uint32_t encoding : {kExportAscii, kExportUnicode}) {
    for (std::uint32_t form = 0; form < 4; ++form) {
      for (std::uint32_t grouping : {0u, 1u}) {
        SCOPED_TRACE(::testing::Message() << "encoding " << encoding << " form " << form << " grouping " << grouping);
        const import::PlannedFile planned = PlanBytes(Exported(records, encoding, form, grouping));
        EXPECT_EQ(planned.format, import::FileFormat::Own);
        ASSERT_TRUE(planned.plan.problems.empty()) << ProblemsOf(planned.plan).front();
        // The exported memo has its quotes and CR LF turned into spaces.
        EXPECT_THAT(DescribeAll(planned.plan),
                    ElementsAre("20240225|-123456|Food|a,  quoted  memo",
                                "19991103|+100000000|Salary|", "20300101|-1|Café|line  break"));
      }
    }
  }
}

TEST(OwnCsvTest, WhatTheDataLeaveOpenIsAskedForAndTwoDigitYearsStayWithinFiftyYears) {
  std::vector<MoneyRecord> records;
  records.push_back(Record({2025, 3, 0, 4, 0, 0, 0, 0}, kExpense, 500, u"Food", u""));
  records.push_back(Record({1977, 5, 0, 6, 0, 0, 0, 0}, kIncome, 700, u"Food", u""));
  records.push_back(Record({2075, 7, 0, 8, 0, 0, 0, 0}, kIncome, 900, u"Food", u""));
  // Every day and month is 12 or less, the report date's too: day-month or month-day?
  const std::string bytes = Exported(records, kExportAscii, 3, 0, {2026, 12, 0, 9, 0, 0, 0, 0});
  EXPECT_THAT(ProblemsOf(PlanBytes(bytes).plan),
              ElementsAre("f: date: the dates could be day-month or month-day: give --date-form "
                          "(1 dd/mm/yy or 3 mm/dd/yy)"));

  // Without records there is nothing to ask.
  const import::ImportPlan empty = PlanBytes(Exported({}, kExportAscii, 3, 0, {2026, 12, 0, 9, 0, 0, 0, 0})).plan;
  EXPECT_TRUE(empty.Usable());
  EXPECT_TRUE(empty.records.empty());

  import::PlanRequest request;
  request.parse.dateForm = 3;
  // In 2026, 77 is 1977 and 75 is 2075.
  EXPECT_THAT(DescribeAll(PlanBytes(bytes, request).plan),
              ElementsAre("20250304|-500|Food|", "19770506|+700|Food|", "20750708|+900|Food|"));
  request.parse.dateForm = 1;
  EXPECT_THAT(DescribeAll(PlanBytes(bytes, request).plan),
              ElementsAre("20250403|-500|Food|", "19770605|+700|Food|", "20750807|+900|Food|"));
  // A form whose separator the file does not use names every date.
  request.parse.dateForm = 0;
  EXPECT_EQ(PlanBytes(bytes, request).plan.problems.size(), 3u);

  EXPECT_EQ(import::PlaceTwoDigitYear(76, 2026), 1976);
  EXPECT_EQ(import::PlaceTwoDigitYear(75, 2026), 2075);
  EXPECT_EQ(import::PlaceTwoDigitYear(0, 2026), 2000);
  EXPECT_EQ(import::PlaceTwoDigitYear(99, 2060), 2099);
  EXPECT_EQ(import::PlaceTwoDigitYear(10, 2060), 2010);
  EXPECT_EQ(import::PlaceTwoDigitYear(9, 2060), 2109);
}

TEST(OwnCsvTest, BrokenLinesAreNamedWithTheirFieldAndTheRestIsStillChecked) {
  const std::string bytes =
      "\"Report Date: 25-11-26\",\"Account: Cash\"\r\n"
      "\"Date\",\"Category\",\"Amount\",\"Memo\"\r\n"
      "\"01-02-25\",\"Food\",\"-1.50\",\"ok\"\r\n"
      "\"30-02-25\",\"Food\",\"-1.50\",\"no such day\"\r\n"
      "\"02-02-25\",\"Food\",\"-1,000,000.01\",\"too much\"\r\n"
      "\"03-02-25\",\"Food\",\"0.00\",\"zero\"\r\n"
      "\"04-02-25\",\"!!\",\"-1.00\",\"no usable category\"\r\n"
      "\"05-02-25\",\"Food\",\"-1.00\"\r\n"
      "\"06-02-25\",\"Food\",\"12.00\",\"ok\"\r\n";
  const import::PlannedFile planned = PlanBytes(bytes);
  EXPECT_THAT(ProblemsOf(planned.plan),
              ElementsAre("f:4: date: \"30-02-25\" is not a date of the file's form",
                          "f:5: amount: above the largest amount, 1,000,000.00",
                          "f:6: amount: zero or empty (the smallest amount is 0.01)",
                          "f:7: category: not a usable category name; give one with --category",
                          "f:8: not four quoted fields"));
  EXPECT_FALSE(planned.plan.Usable());

  // --category stands in for the unusable one.
  import::PlanRequest request;
  request.defaultCategory = u"Other";
  EXPECT_EQ(PlanBytes(bytes, request).plan.problems.size(), 4u);
}

}  // namespace
}  // namespace quidora::testing
