// One real-looking file per format, each planned record by record: dates as the bank wrote
// them, signs, categories cleaned to the name rules, payee and memo joined and cut, the
// character set the file declares.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "import/parse_file.h"
#include "import_test_support.h"

namespace quidora::testing {
namespace {

using import::FileFormat;
using ::testing::ElementsAre;

TEST(SampleFilesTest, OfxSgmlInWindows1252) {
  const std::string path = SampleFile("statement-102.ofx");
  import::PlanRequest request;
  request.defaultCategory = u"Bank";
  request.parse.today = kToday;
  const import::PlannedFile planned =
      import::PlanFile(path, ReadBytes(path), request, CategoryList(), {});
  EXPECT_EQ(planned.format, FileFormat::Ofx);
  EXPECT_TRUE(planned.plan.problems.empty()) << ProblemsOf(planned.plan).front();
  // CHARSET:1252 turns the byte E9 into é; a time and zone after the date do not move it;
  // NAME then MEMO, cut to 30 characters and counted.
  EXPECT_THAT(DescribeAll(planned.plan),
              ElementsAre("20250103|-4217|Bank|Café Central Card 4417",
                          "20250115|+215000|Bank|ACME PAYROLL",
                          "20250131|-120000|Bank|Greenfield Property Management"));
  EXPECT_EQ(planned.plan.memosCut, 1u);
  EXPECT_THAT(planned.plan.newCategories, ElementsAre(u"Bank"));
  EXPECT_EQ(planned.plan.income, 215000);
  EXPECT_EQ(planned.plan.expense, 124217);
}

TEST(SampleFilesTest, OfxXmlCreditCardInUtf8) {
  const std::string path = SampleFile("statement-211.ofx");
  import::PlanRequest request;
  request.defaultCategory = u"Card";
  request.parse.today = kToday;
  const import::PlannedFile planned =
      import::PlanFile(path, ReadBytes(path), request, CategoryList(), {});
  EXPECT_EQ(planned.format, FileFormat::Ofx);
  EXPECT_TRUE(planned.plan.problems.empty());
  EXPECT_THAT(DescribeAll(planned.plan),
              ElementsAre("20250204|-1890|Card|Bäckerei Müller Frühstück",
                          "20250211|+2500|Card|Refund Returned order 55821"));
}

TEST(SampleFilesTest, QifBankInWindows1252) {
  const std::string path = SampleFile("bank.qif");
  const import::PlannedFile planned = PlanBytes(ReadBytes(path));
  EXPECT_EQ(planned.format, FileFormat::Qif);
  EXPECT_TRUE(planned.plan.problems.empty()) << ProblemsOf(planned.plan).front();
  // 12/28'24 decides month-day for the whole file; Food:Groceries keeps Food, a transfer keeps
  // the account's name, the class after "/" goes and "&" is no name character; U is ignored
  // beside T; P then M.
  EXPECT_THAT(DescribeAll(planned.plan),
              ElementsAre("20241228|-6420|Food|Fresh Market Weekly groceries",
                          "20250102|+315000|Salary|ACME Corp",
                          "20250105|-80000|Savings account|Monthly transfer",
                          "20250113|-4599|Phone internet|Northwind Télécom"));
  EXPECT_THAT(planned.plan.newCategories,
              ElementsAre(u"Food", u"Salary", u"Savings account", u"Phone internet"));
}

TEST(SampleFilesTest, SemicolonCsvWithDecimalCommasAndDebitCreditColumns) {
  const std::string bytes = ReadBytes(SampleFile("girokonto.csv"));
  import::PlanRequest request;
  request.parse.csv.delimiter = u';';
  request.parse.csv.decimal = u',';
  request.parse.csv.skip = 2;
  request.parse.csv.dateFormat = "%d.%m.%Y";
  request.parse.csv.columns = "date,payee,memo,category,debit,credit";
  const import::PlannedFile byPosition = PlanBytes(bytes, request);
  EXPECT_EQ(byPosition.format, FileFormat::Csv);
  EXPECT_TRUE(byPosition.plan.problems.empty()) << ProblemsOf(byPosition.plan).front();
  // A quoted delimiter, doubled quotes and a line break inside quotes stay in their field.
  const std::vector<std::string> expected = {
      "20250102|-8500|Haushalt|Stadtwerke Abschlag Strom; Jan",
      "20250103|+273456|Gehalt|Arbeitgeber GmbH Gehalt Dezemb",
      "20250107|-435|Lebensmittel|Bäckerei Brötchen \"extra\"",
      "20250115|-120410|Auto|Versicherung Kfz-Versicherung"};
  EXPECT_EQ(DescribeAll(byPosition.plan), expected);
  EXPECT_EQ(byPosition.plan.memosCut, 3u);

  // The same file mapped by the heading's names: the heading is the last skipped line.
  request.parse.csv.columns =
      "date=Buchungstag,memo=Verwendungszweck,payee=Empfänger,category=4,debit=Soll,credit=Haben";
  EXPECT_EQ(DescribeAll(PlanBytes(bytes, request).plan), expected);

  request.parse.csv.columns = "date=Buchungstag,amount=Betrag";
  EXPECT_THAT(ProblemsOf(PlanBytes(bytes, request).plan),
              ElementsAre("f:2: --columns: no column \"Betrag\" in the heading line"));
}

}  // namespace
}  // namespace quidora::testing
