// Texts from the store that would act on a terminal (control characters in names and memos)
// and an account without a name, as only damage makes one: the reports still show every row,
// and no control character reaches a table.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/record_writes.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

TEST_F(StoreTest, ControlCharactersFromTheStoreAreShownNotSentToTheTerminal) {
  Open();
  CategoryRecord category;
  category.SetName(u"Bell\u0007");
  categories_.Append(std::move(category));
  ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
  AccountRecord evil = MakeAccount(u"\u001b]0;owned\u0007Evil\u001b[31m");
  const std::uint32_t evilKey = AddAccount(evil);
  MoneyRecord record = MakeMoney(evilKey, u"Bell\u0007", 500);
  record.SetMemo(u"tab\there, CSI\u009b2J, del\u007f");
  AddMoney(record);
  // Damage: one account whose name is gone, one whose name is empty.
  namespace a = store::account;
  using platform::PropValue;
  PutRecord(Volume(), store::kAccountsDatabaseName,
            {PropValue::Ui4(a::kKey, 900), PropValue::Ui4(a::kYear, 2005)});
  PutRecord(Volume(), store::kAccountsDatabaseName,
            {PropValue::Ui4(a::kKey, 901), PropValue::Text(a::kName, u"")});
  store_.reset();

  // The table: every control character in a visible form, the nameless account first.
  CliRun run = RunCli(home_.path(), {"accounts"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Account                 Balance\n"
            "                           0.00\n"
            "                           0.00\n"
            "\\e]0;owned\\aEvil\\e[31m    -5.00\n"
            "-------------------------------\n"
            "Total                     -5.00\n");
  const std::string evilName = "\x1b]0;owned\x07" "Evil\x1b[31m";
  run = RunCli(home_.path(), {"records", evilName});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Date        Category  Amount  Memo\n"
            "2005-10-29  Bell\\a     -5.00  tab\\there, CSI\\u009b2J, del\\x7f\n");
  run = RunCli(home_.path(), {"categories", evilName});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Category  Total\nBell\\a    -5.00\n");

  // CSV keeps the bytes, inside quotes; JSON escapes them as it always has.
  run = RunCli(home_.path(), {"accounts", "--format", "csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "account,balance\n,0.00\n,0.00\n\"" + evilName + "\",-5.00\n");
  run = RunCli(home_.path(), {"records", evilName, "--format", "csv"});
  EXPECT_EQ(run.out, "date,category,amount,memo\n2005-10-29,\"Bell\x07\",-5.00,"
                     "\"tab\there, CSI\xc2\x9b" "2J, del\x7f\"\n");
  run = RunCli(home_.path(), {"accounts", "--format", "json"});
  EXPECT_NE(run.out.find("\"\\u001b]0;owned\\u0007Evil\\u001b[31m\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("{\"account\":\"\",\"balance\":0}"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace quidora::testing
