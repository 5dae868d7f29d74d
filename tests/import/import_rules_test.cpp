// The rules every format shares: category names, memos, duplicates against the account, and
// the RFC 4180 reading and QIF dates the bank formats rest on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "import/csv_rows.h"
#include "import/record_rules.h"
#include "import_test_support.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

using ::testing::ElementsAre;

TEST(ImportRulesTest, CategoryNamesAndMemosAreCleanedAsTheDialogsKeepThem) {
  EXPECT_EQ(import::CleanCategoryName(u"  fOOD  "), u"Food");
  EXPECT_EQ(import::CleanCategoryName(u"Phone & Internet"), u"Phone internet");
  EXPECT_EQ(import::CleanCategoryName(u"Très-long nom de catégorie ici"), u"Très long nom de cat");
  EXPECT_EQ(import::CleanCategoryName(u"a2345678901234567890 b"), u"A2345678901234567890");
  EXPECT_EQ(import::CleanCategoryName(u"&&&"), u"");
  EXPECT_EQ(import::CleanCategoryName(u""), u"");

  EXPECT_EQ(import::FitMemo(u" \"two\"\nlines ").memo, u" \"two\"\nlines ");
  EXPECT_FALSE(import::FitMemo(u"123456789012345678901234567890").cut);
  const import::FittedMemo cut = import::FitMemo(u"12345678901234567890123456789\U0001F600");
  EXPECT_TRUE(cut.cut);
  EXPECT_EQ(cut.memo, u"12345678901234567890123456789");  // never half a character

  const import::SignedText parenthesised = import::SplitSign(u" (12.50) ");
  EXPECT_TRUE(parenthesised.negative);
  EXPECT_EQ(parenthesised.digits, u"12.50");
  EXPECT_FALSE(import::SplitSign(u"+3").negative);
}

TEST(ImportRulesTest, DuplicatesAreCountedOneForOneAgainstTheAccount) {
  CategoryList categories;
  CategoryRecord food;
  food.SetName(u"FOOD");  // stored by an older version in capitals: still the same category
  categories.Append(std::move(food));
  std::vector<MoneyRecord> existing;
  existing.push_back(MakeMoney(1, u"FOOD", 250, {2025, 1, 0, 2, 0, 0, 0, 0}, kExpense));
  existing.back().SetMemo(u"coffee");

  const std::string bytes =
      "!Type:Cash\nD01/02/2025\nT-2.50\nLfood\nMcoffee\n^\n"
      "D01/02/2025\nT-2.50\nLFood\nMcoffee\n^\n"
      "D01/02/2025\nT2.50\nLFood\nMcoffee\n^\n";
  import::PlanRequest request;
  request.parse.dateOrder = import::DateOrder::MonthDayYear;
  const import::ImportPlan plan = PlanBytes(bytes, request, categories, existing).plan;
  // Two equal coffees in the file against one in the account: one is new. Income is not the
  // same record as an expense.
  EXPECT_EQ(plan.duplicates, 1u);
  EXPECT_THAT(DescribeAll(plan), ElementsAre("20250102|-250|FOOD|coffee", "20250102|+250|FOOD|coffee"));
  EXPECT_TRUE(plan.newCategories.empty());

  request.keepDuplicates = true;
  EXPECT_EQ(PlanBytes(bytes, request, categories, existing).plan.records.size(), 3u);
}

TEST(ImportRulesTest, QifDatesAndSectionsAndUnfinishedRecords) {
  const std::string ambiguous = "!Type:Bank\nD01.02.25\nT-1.00\nLFood\n^\n";
  EXPECT_THAT(ProblemsOf(PlanBytes(ambiguous).plan),
              ElementsAre("f: date: the dates could be day-month or month-day: give --date-order dmy or mdy"));
  import::PlanRequest request;
  request.parse.dateOrder = import::DateOrder::DayMonthYear;
  EXPECT_THAT(DescribeAll(PlanBytes(ambiguous, request).plan), ElementsAre("20250201|-100|Food|"));

  const std::string mixed =
      "!Option:AutoSwitch\n!Account\nNChecking\nTBank\n^\n!Clear:AutoSwitch\n"
      "!Type:Cat\nNFood\nE\n^\n"
      "!Type:CCard\nD2024-12-31\nT-9.99\nLMedia\n^\n"
      "!Type:Invst\nD2024-12-31\nNBuy\n^\n"
      "!Type:Bank\nD2025-01-01\nT1.00\n";
  EXPECT_THAT(ProblemsOf(PlanBytes(mixed).plan),
              ElementsAre("f:16: \"!Type:Invst\": only Bank, Cash and CCard records can be imported",
                          "f:21: the last record does not end with a ^ line"));
  EXPECT_THAT(DescribeAll(PlanBytes(mixed).plan), ElementsAre("20241231|-999|Media|"));
}

TEST(ImportRulesTest, CsvRowsFollowRfc4180) {
  std::vector<std::pair<std::uint32_t, std::vector<std::u16string>>> rows;
  const auto take = [&](import::CsvRow& row) {
    rows.emplace_back(row.line, row.fields);
    return true;
  };
  EXPECT_FALSE(import::ReadCsvRows(u"a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\r\nlines\",,x\ny", u',', take));
  EXPECT_THAT(rows, ElementsAre(std::pair<std::uint32_t, std::vector<std::u16string>>{1, {u"a", u"b,c", u"say \"hi\""}},
                                std::pair<std::uint32_t, std::vector<std::u16string>>{3, {u"two\r\nlines", u"", u"x"}},
                                std::pair<std::uint32_t, std::vector<std::u16string>>{5, {u"y"}}));
  EXPECT_EQ(import::ReadCsvRows(u"a\n\"open,\nb", u',', take), 2u);

  // Pieces end after a line feed outside quotes, and know their first line.
  std::vector<std::pair<std::string, std::uint32_t>> pieces;
  import::ForEachCsvPiece("a,b\n\"x\ny\",\"\"\"\nq\"\nc\nd", ',', 2,
                          [&](std::string_view piece, std::uint32_t line) {
                            pieces.emplace_back(piece, line);
                            return true;
                          });
  EXPECT_THAT(pieces, ElementsAre(std::pair<std::string, std::uint32_t>{"a,b\n", 1},
                                  std::pair<std::string, std::uint32_t>{"\"x\ny\",\"\"\"\nq\"\n", 2},
                                  std::pair<std::string, std::uint32_t>{"c\n", 5},
                                  std::pair<std::string, std::uint32_t>{"d", 6}));
}

TEST(ImportRulesTest, MappedCsvRefusesWhatItCannotRead) {
  import::PlanRequest request;
  request.parse.csv.columns = "date,amount";
  request.parse.csv.dateFormat = "%d/%m/%Y";
  EXPECT_THAT(ProblemsOf(PlanBytes("31/12/2024,-5\n2024-12-31,-5\n31/12/2024,abc\n").plan),
              ElementsAre("f: --columns: a CSV file needs --columns (for example date,amount,category,memo)"));
  EXPECT_THAT(ProblemsOf(PlanBytes("31/12/2024,-5\n2024-12-31,-5\n31/12/2024,abc\n", request).plan),
              ElementsAre("f:1: category: missing; give one with --category",
                          "f:2: date: \"2024-12-31\" does not fit --date-format %d/%m/%Y",
                          "f:3: amount: not an amount",
                          "f:3: category: missing; give one with --category"));
  request.defaultCategory = u"Misc";
  EXPECT_THAT(DescribeAll(PlanBytes("31/12/2024,\"-1 234.50\"\n", request).plan),
              ElementsAre("20241231|-123450|Misc|"));
  EXPECT_THAT(ProblemsOf(PlanBytes("31/12/2024,\xE9\n", request).plan),
              ElementsAre("f: not UTF-8 text: give --encoding cp1252 or utf-16le"));
  request.parse.csv.columns = "date,amount,debit";
  EXPECT_THAT(ProblemsOf(PlanBytes("x\n", request).plan),
              ElementsAre("f: --columns: give either an amount column or debit and credit columns"));
}

}  // namespace
}  // namespace quidora::testing
