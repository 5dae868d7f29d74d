// quidora-cli over small stores: what each command prints, that no command changes a byte of
// the store, the refusals and their exit statuses, and a run while the device program holds
// the store open.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>

#include "cli_runner.h"
#include "quidora_version.h"
#include "resources/strings/string_table.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/record_writes.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;

constexpr SystemTime Day(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
  return SystemTime{year, month, 0, day, 0, 0, 0, 0};
}

class CliTest : public StoreTest {
 protected:
  // Three accounts; Cash has records on both sides of 2010 and two on one day.
  void MakeStore() {
    Open();
    for (const char16_t* name : {u"Food", u"Salary", u"Car", u"Interest"}) {
      CategoryRecord category;
      category.SetName(name);
      categories_.Append(std::move(category));
    }
    ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
    AccountRecord cash = MakeAccount(u"Cash");
    AccountRecord bank = MakeAccount(u"Bank");
    AccountRecord savings = MakeAccount(u"Épargne");
    const std::uint32_t cashKey = AddAccount(cash);
    const std::uint32_t bankKey = AddAccount(bank);
    const std::uint32_t savingsKey = AddAccount(savings);
    Money(cashKey, u"Food", 1000, Day(2009, 12, 31), kExpense, u"before");
    Money(cashKey, u"Salary", 250000, Day(2010, 1, 1), kIncome, u"pay, \"January\"");
    Money(cashKey, u"Food", 1250, Day(2010, 6, 15), kExpense, u"");
    Money(cashKey, u"Car", 30000, Day(2010, 6, 15), kExpense, u"tyres");
    Money(cashKey, u"Food", 750, Day(2010, 12, 31), kExpense, u"last day");
    Money(cashKey, u"Car", 5000, Day(2011, 1, 1), kExpense, u"after");
    Money(bankKey, u"Salary", 100000, Day(2010, 3, 1), kIncome, u"");
    Money(bankKey, u"Food", 100000, Day(2010, 3, 2), kExpense, u"");
    Money(savingsKey, u"Interest", 12345, Day(2010, 5, 5), kIncome, u"");
    // Added last, so last in key order, but of an earlier day than some.
    Money(cashKey, u"Car", 0, Day(2010, 6, 15), kExpense, u"added last");
  }

  void Money(std::uint32_t account, std::u16string_view category, std::int32_t amount,
             SystemTime date, std::uint32_t type, std::u16string_view memo) {
    MoneyRecord record = MakeMoney(account, category, amount, date, type);
    record.SetMemo(memo);
    AddMoney(record);
  }

  // Runs the command and checks that the store folder is byte for byte what it was.
  CliRun Run(std::initializer_list<std::string_view> args) {
    const auto before = FolderBytes(home_.path());
    CliRun run = RunCli(home_.path(), args);
    EXPECT_EQ(FolderBytes(home_.path()), before) << "the store changed";
    return run;
  }
};

TEST_F(CliTest, CommandsReportTheSmallStoreAndLeaveItAsItWas) {
  MakeStore();
  store_.reset();  // the device program has ended

  CliRun run = Run({"accounts", "--from", "2010-01-01", "--to", "2010-12-31"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // By name; a zero balance is shown; the total of all accounts under the balances.
  EXPECT_EQ(run.out,
            "Account   Balance\n"
            "Bank         0.00\n"
            "Cash     2,180.00\n"
            "Épargne    123.45\n"
            "-----------------\n"
            "Total    2,303.45\n");

  run = Run({"accounts", "--format=json"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"from\":null,\"to\":null,\"accounts\":[\n"
            "{\"account\":\"Bank\",\"balance\":0},\n"
            "{\"account\":\"Cash\",\"balance\":212000},\n"
            "{\"account\":\"Épargne\",\"balance\":12345}\n"
            "],\"total\":224345}\n");

  // Both ends of the range count; zero totals (Interest) are left out.
  run =
      Run({"categories", "Cash", "--from", "2010-01-01", "--to", "2010-12-31", "--format", "csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "category,total\nCar,-300.00\nFood,-20.00\nSalary,2500.00\n");
  // Income and expense of one category that cancel out leave it out as well.
  run = Run({"categories", "Bank", "--format", "csv"});
  EXPECT_EQ(run.out, "category,total\nFood,-1000.00\nSalary,1000.00\n");
  run = Run({"categories", "Épargne", "--to", "2010-05-04"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Category  Total\n");

  // Date order, equal dates in the order the records were added; CSV quoting and JSON escapes.
  run = Run({"records", "Cash", "--from", "2010-01-01", "--format", "csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "date,category,amount,memo\n"
            "2010-01-01,Salary,2500.00,\"pay, \"\"January\"\"\"\n"
            "2010-06-15,Food,-12.50,\n"
            "2010-06-15,Car,-300.00,tyres\n"
            "2010-06-15,Car,0.00,added last\n"
            "2010-12-31,Food,-7.50,last day\n"
            "2011-01-01,Car,-50.00,after\n");
  // Without a range the account's records are read in key order and put in date order.
  run = Run({"records", "Cash", "--format", "csv"});
  EXPECT_EQ(run.out,
            "date,category,amount,memo\n"
            "2009-12-31,Food,-10.00,before\n"
            "2010-01-01,Salary,2500.00,\"pay, \"\"January\"\"\"\n"
            "2010-06-15,Food,-12.50,\n"
            "2010-06-15,Car,-300.00,tyres\n"
            "2010-06-15,Car,0.00,added last\n"
            "2010-12-31,Food,-7.50,last day\n"
            "2011-01-01,Car,-50.00,after\n");
  run = Run({"records", "Cash", "--to", "2010-01-01", "--format", "json"});
  EXPECT_EQ(
      run.out,
      "{\"account\":\"Cash\",\"from\":null,\"to\":\"2010-01-01\",\"records\":[\n"
      "{\"date\":\"2009-12-31\",\"category\":\"Food\",\"amount\":-1000,\"memo\":\"before\"},\n"
      "{\"date\":\"2010-01-01\",\"category\":\"Salary\",\"amount\":250000,"
      "\"memo\":\"pay, \\\"January\\\"\"}\n"
      "]}\n");
  run = Run({"records", "Cash", "--from", "2010-06-15", "--to", "2010-06-15"});
  EXPECT_EQ(run.out,
            "Date        Category   Amount  Memo\n"
            "2010-06-15  Food       -12.50  \n"
            "2010-06-15  Car       -300.00  tyres\n"
            "2010-06-15  Car          0.00  added last\n");

  // A relative QUIDORA_HOME starts at the working folder, as for the device program.
  run = RunCli(".", {"accounts", "--format", "csv"}, home_.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "account,balance\nBank,0.00\nCash,2120.00\nÉpargne,123.45\n");

  run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Usage: quidora-cli COMMAND"), std::string::npos);
  run = Run({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "quidora-cli " + std::string(kVersionText) + "\n");
}

std::string FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Today as the export's report date shows it in date form 0.
std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[16];
  std::strftime(text, sizeof text, "%d-%m-%y", &utc);
  return text;
}

TEST_F(CliTest, ExportWritesTheDeviceProgramsTransactionsFile) {
  MakeStore();
  store_.reset();
  TempFolder out;
  const fs::path file = out.path() / "cash.csv";

  CliRun run = Run({"export", "Cash", file.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  // Every record of the account in date order; quotes in a memo become spaces.
  EXPECT_EQ(FileBytes(file), "\"Report Date: " + TodayText() +
                                 "\",\"Account: Cash\"\r\n"
                                 "\"Date\",\"Category\",\"Amount\",\"Memo\"\r\n"
                                 "\"31-12-09\",\"Food\",\"-10.00\",\"before\"\r\n"
                                 "\"01-01-10\",\"Salary\",\"2,500.00\",\"pay,  January \"\r\n"
                                 "\"15-06-10\",\"Food\",\"-12.50\",\"\"\r\n"
                                 "\"15-06-10\",\"Car\",\"-300.00\",\"tyres\"\r\n"
                                 "\"15-06-10\",\"Car\",\"-0.00\",\"added last\"\r\n"
                                 "\"31-12-10\",\"Food\",\"-7.50\",\"last day\"\r\n"
                                 "\"01-01-11\",\"Car\",\"-50.00\",\"after\"\r\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  // Newest first: the exact reverse, the three records of one day included; the replaced file
  // keeps the mode its owner gave it.
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  run = Run({"export", "Cash", file.string(), "--force", "--descending"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string newest = FileBytes(file);
  EXPECT_NE(newest.find("\"Memo\"\r\n"
                        "\"01-01-11\",\"Car\",\"-50.00\",\"after\"\r\n"
                        "\"31-12-10\",\"Food\",\"-7.50\",\"last day\"\r\n"
                        "\"15-06-10\",\"Car\",\"-0.00\",\"added last\"\r\n"
                        "\"15-06-10\",\"Car\",\"-300.00\",\"tyres\"\r\n"
                        "\"15-06-10\",\"Food\",\"-12.50\",\"\"\r\n"),
            std::string::npos)
      << newest;
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // The other options, over the existing file: UTF-16 without a byte-order mark.
  run = Run({"export", "Épargne", file.string(), "--force", "--unicode", "--date-form", "3",
             "--grouping=1"});
  EXPECT_EQ(run.status, 0) << run.err;
  std::u16string text;
  const std::string bytes = FileBytes(file);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  EXPECT_NE(text.find(u"\",\"Account: Épargne\"\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"\r\n\"05/05/10\",\"Interest\",\"123,45\",\"\"\r\n"), std::u16string::npos);
  // Windows-1252 holds the name's letter in one byte.
  EXPECT_EQ(Run({"export", "Épargne", file.string(), "--force"}).status, 0);
  EXPECT_NE(FileBytes(file).find("Account: \xC9pargne"), std::string::npos);

  // Never over the store's own files, nor over a folder.
  // Nor into a folder that is not there: a failed write is status 1 too.
  for (const fs::path& refused : {VolumeFile(), fs::path(VolumeFile().string() + "-wal"),
                                  out.path(), out.path() / "missing" / "cash.csv"}) {
    run = Run({"export", "Cash", refused.string()});
    EXPECT_EQ(run.status, 1) << refused;
    EXPECT_NE(run.err, "");
  }
  EXPECT_EQ(fs::directory_iterator(out.path())->path(), file);  // no temporary file left

  const fs::path missing = out.path() / "missing";
  run = Run({"export", "Cash", (missing / "cash.csv").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot create a file in " + missing.string() + ": "), std::string::npos)
      << run.err;
}

TEST_F(CliTest, WrongRequestsEndWithStatusOneAndPrintNoReport) {
  MakeStore();
  store_.reset();
  struct Case {
    std::initializer_list<std::string_view> args;
    std::string_view said;
  };
  const Case cases[] = {
      {{"records", "Nobody"}, "there is no account \"Nobody\""},
      {{"categories", "cash"}, "there is no account \"cash\""},  // names are compared exactly
      {{"accounts", "--from", "2011-02-29"}, "not a date"},
      {{"accounts", "--to", "2010-13-01"}, "not a date"},
      {{"accounts", "--from", "10-01-2010"}, "not a date"},
      {{"accounts", "--from", "2010-02-01", "--to", "2010-01-31"}, "later than --to"},
      {{"accounts", "Cash"}, "takes no operands"},
      {{"records"}, "takes ACCOUNT"},
      {{"records", "Cash", "--unicode"}, "has no option --unicode"},
      {{"records", "Cash", "--descending"}, "has no option --descending"},
      {{"accounts", "--format", "xml"}, "--format takes"},
      {{"export", "Cash", "out.csv", "--date-form", "4"}, "--date-form takes 0, 1, 2 or 3"},
      {{"export", "Cash", "out.csv", "--from", "2010-01-01"}, "has no option --from"},
      {{"balance"}, "unknown command"},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.status, 1) << *c.args.begin() << " " << c.said;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
  }
  // A leap day is a date.
  EXPECT_EQ(Run({"accounts", "--from", "2012-02-29"}).status, 0);
}

TEST_F(CliTest, SumsBeyondTheLargestAmountAreRefusedNotShownWrong) {
  Open();
  CategoryRecord food;
  food.SetName(u"Food");
  categories_.Append(std::move(food));
  ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
  AccountRecord first = MakeAccount(u"First");
  AccountRecord second = MakeAccount(u"Second");
  const std::uint32_t firstKey = AddAccount(first);
  const std::uint32_t secondKey = AddAccount(second);
  Money(firstKey, u"Food", 2147483647, Day(2010, 1, 1), kIncome, u"");
  Money(secondKey, u"Food", 1, Day(2010, 1, 2), kIncome, u"");
  const std::string overflow = "Balance amount exceeds the largest amount possible";

  // Each balance fits; their total does not.
  CliRun run = RunCli(home_.path(), {"accounts"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(overflow), std::string::npos) << run.err;
  // Without the second account's record the total fits exactly.
  EXPECT_EQ(RunCli(home_.path(), {"accounts", "--to", "2010-01-01", "--format", "csv"}).out,
            "account,balance\nFirst,21474836.47\nSecond,0.00\n");

  // One account's own sum passes the limit.
  Money(firstKey, u"Food", 1, Day(2010, 1, 1), kIncome, u"");
  for (auto args : {std::initializer_list<std::string_view>{"accounts", "--to", "2010-01-01"},
                    {"categories", "First"}}) {
    run = RunCli(home_.path(), args);
    EXPECT_EQ(run.status, 1) << *args.begin();
    EXPECT_NE(run.err.find(overflow), std::string::npos) << run.err;
  }

  // The limits are tested in the order the records were stored, as the device program sums its
  // list: taken by date, the early income and the next expense would pass the limit.
  AccountRecord third = MakeAccount(u"Third");
  const std::uint32_t thirdKey = AddAccount(third);
  Money(thirdKey, u"Food", 1000000000, Day(2011, 2, 1), kExpense, u"");
  Money(thirdKey, u"Food", 1000000000, Day(2011, 3, 1), kIncome, u"");
  Money(thirdKey, u"Food", 1500000000, Day(2011, 1, 1), kIncome, u"");
  run = RunCli(home_.path(), {"accounts", "--from", "2011-01-01", "--format", "csv"});
  EXPECT_EQ(run.out, "account,balance\nFirst,0.00\nSecond,0.00\nThird,15000000.00\n") << run.err;
  run = RunCli(home_.path(), {"categories", "Third", "--from", "2011-01-01", "--format", "csv"});
  EXPECT_EQ(run.out, "category,total\nFood,15000000.00\n") << run.err;
}

TEST_F(CliTest, ReadsWhileTheDeviceProgramHoldsTheStore) {
  MakeStore();
  // The device program keeps the volume open; its latest record is still in the log only.
  const std::uint32_t cashKey = accounts_.FindByName(u"Cash")->key;
  Money(cashKey, u"Food", 4200, Day(2010, 7, 7), kExpense, u"still in the log");
  ASSERT_TRUE(fs::exists(VolumeFile().string() + "-wal"));

  CliRun run = Run({"records", "Cash", "--from", "2010-07-01", "--to", "2010-07-31"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Date        Category  Amount  Memo\n"
            "2010-07-07  Food      -42.00  still in the log\n");
  EXPECT_EQ(Run({"accounts", "--format", "csv"}).out,
            "account,balance\nBank,0.00\nCash,2078.00\nÉpargne,123.45\n");

  // The device program goes on writing and ending as if nothing had read its store.
  Money(cashKey, u"Food", 100, Day(2010, 7, 8), kExpense, u"");
  store_.reset();
  EXPECT_EQ(
      RunCli(home_.path(), {"records", "Cash", "--from", "2010-07-08", "--format", "csv"}).out,
      "date,category,amount,memo\n"
      "2010-07-08,Food,-1.00,\n"
      "2010-12-31,Food,-7.50,last day\n"
      "2011-01-01,Car,-50.00,after\n");
}

// Writes `bytes` over the file from `offset` on.
void Overwrite(const fs::path& file, std::streamoff offset, const std::string& bytes) {
  std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
  stream.seekp(offset);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(CliTest, RefusesStoresItCannotTrustWithStatusTwoAndLeavesThemAlone) {
  // No store at all: nothing is created.
  TempFolder empty;
  CliRun run = RunCli(empty.path(), {"accounts"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("there is no Quidora store at"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(empty.path()));

  MakeStore();
  AccountRecord big = MakeAccount(u"Big");
  const std::uint32_t bigKey = AddAccount(big);
  {
    StoreBatch batch(*store_, StringId::AddError, store::kMoneyDatabaseName);
    for (int i = 0; i < 3000; ++i) {
      Money(bigKey, u"Food", 100 + i, Day(2010, 1, static_cast<std::uint16_t>(1 + i % 28)),
            kExpense, u"a memo of some length");
    }
    ASSERT_TRUE(batch.Commit(ui_));
  }
  store_.reset();
  const fs::path volume = VolumeFile();
  std::string original;
  {
    std::ifstream in(volume, std::ios::binary);
    original.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(original.size(), 100000u);
  const auto refusedWith = [&](std::string_view said) {
    const CliRun refused = Run({"accounts"});
    EXPECT_EQ(refused.status, 2) << said;
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find(said), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find(volume.string()), std::string::npos) << refused.err;
    std::ofstream(volume, std::ios::binary | std::ios::trunc) << original;  // the next case
  };

  // A volume of the first version, not yet upgraded by the device program, is read as it is.
  Overwrite(volume, 60, std::string("\0\0\0\x01", 4));
  const CliRun older = Run({"accounts", "--format", "csv"});
  EXPECT_EQ(older.status, 0) << older.err;
  EXPECT_NE(older.out.find("Big,"), std::string::npos) << older.out;
  std::ofstream(volume, std::ios::binary | std::ios::trunc) << original;

  Overwrite(volume, 60, std::string("\0\0\0\x04", 4));  // a later schema version
  refusedWith("was written by a later version of Quidora");
  Overwrite(volume, 68, "ABCD");  // another program's application id
  refusedWith("is not a Quidora store");
  Overwrite(volume, 0, "Not a database at all");
  refusedWith("is damaged");
  // Damage past the header and the tables' layout shows when the records are read.
  Overwrite(volume, static_cast<std::streamoff>(original.size() / 2),
            std::string(original.size() / 2, '\x5A'));
  refusedWith("is damaged");
  std::ofstream(volume, std::ios::binary | std::ios::trunc);  // zero length
  refusedWith("is damaged");
}

}  // namespace
}  // namespace quidora::testing
