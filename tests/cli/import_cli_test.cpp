// quidora-cli import as a user runs it: the transactions file round trip in both encodings and
// all four date forms, a broken line refused with the store left byte for byte, a second run
// that adds nothing, the device program's lock, and an import killed part way.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli_runner.h"
#include "platform/folder_lock.h"
#include "platform/volume_reader.h"
#include "store/record_writes.h"
#include "store/store_reader.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The file without its first line, which carries the report date.
std::string AfterFirstLine(const std::string& bytes, bool unicode) {
  const std::string end = unicode ? std::string("\r\0\n\0", 4) : std::string("\r\n");
  const std::size_t cut = bytes.find(end);
  return cut == std::string::npos ? std::string() : bytes.substr(cut + end.size());
}

std::size_t CountRecords(const fs::path& home, std::u16string_view account) {
  platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(home / "objectstore.db");
  if (opened.reader == nullptr) return 0;
  StoreReader reader(*opened.reader);
  AccountList accounts;
  EXPECT_TRUE(reader.ReadAccounts(accounts));
  const AccountRecord* found = accounts.FindByName(account);
  if (found == nullptr) return 0;
  MoneyList money;
  MoneySelection selection;
  selection.accountKey = found->key;
  EXPECT_TRUE(reader.ReadMoneyRecords(money, selection));
  return money.size();
}

class ImportCliTest : public StoreTest {
 protected:
  // Cash holds records on both sides of 2000, a day above 12 so the date forms tell themselves
  // apart, memos with quotes, commas and spaces at their ends, and two equal records.
  void MakeStore() {
    Open();
    for (const char16_t* name : {u"Food", u"Salary", u"Café"}) {
      CategoryRecord category;
      category.SetName(name);
      categories_.Append(std::move(category));
    }
    ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
    AccountRecord cash = MakeAccount(u"Cash");
    const std::uint32_t cashKey = AddAccount(cash);
    AccountRecord bank = MakeAccount(u"Bank");
    AddAccount(bank);
    Money(cashKey, u"Food", 1250, {1999, 12, 0, 31, 0, 0, 0, 0}, kExpense, u"\"quoted\" end ");
    Money(cashKey, u"Salary", 100000000, {2000, 1, 0, 1, 0, 0, 0, 0}, kIncome, u"");
    Money(cashKey, u"Café", 1, {2025, 6, 0, 15, 0, 0, 0, 0}, kExpense, u"a, b; c'd`e");
    Money(cashKey, u"Café", 1, {2025, 6, 0, 15, 0, 0, 0, 0}, kExpense, u"a, b; c'd`e");
    Money(cashKey, u"Food", 123456, {2040, 2, 0, 29, 0, 0, 0, 0}, kIncome, u"thirty characters, exactly...");
    store_.reset();  // the device program has ended
  }

  void Money(std::uint32_t account, std::u16string_view category, std::int32_t amount,
             SystemTime date, std::uint32_t type, std::u16string_view memo) {
    MoneyRecord record = MakeMoney(account, category, amount, date, type);
    record.SetMemo(memo);
    AddMoney(record);
  }

  // Runs quidora-cli and checks that every file of the store folder is byte for byte what it
  // was (the lock file, which stays once made, aside).
  CliRun RunUnchanged(std::initializer_list<std::string_view> args) {
    auto before = FolderBytes(home_.path());
    CliRun run = RunCli(home_.path(), args);
    auto after = FolderBytes(home_.path());
    before.erase(platform::kFolderLockName);
    after.erase(platform::kFolderLockName);
    std::string changed;
    for (const auto& [name, bytes] : after) {
      if (!before.contains(name) || before[name] != bytes) changed += " " + name;
    }
    for (const auto& [name, bytes] : before) {
      if (!after.contains(name)) changed += " " + name + "(gone)";
    }
    EXPECT_EQ(changed, "") << "the store changed";
    return run;
  }

  TempFolder files_;
};

TEST_F(ImportCliTest, ExportImportExportGivesTheSameBytesInEveryEncodingAndDateForm) {
  MakeStore();
  for (const bool unicode : {false, true}) {
    for (int form = 0; form < 4; ++form) {
      const std::string grouping = std::to_string(form % 2);
      SCOPED_TRACE(::testing::Message() << "unicode " << unicode << " form " << form);
      const std::string first = (files_.path() / "first.csv").string();
      const std::string second = (files_.path() / "second.csv").string();
      const std::string formText = std::to_string(form);
      CliRun run = unicode ? RunCli(home_.path(), {"export", "Cash", first, "--force", "--unicode", "--date-form", formText, "--grouping", grouping})
                           : RunCli(home_.path(), {"export", "Cash", first, "--force", "--date-form", formText, "--grouping", grouping});
      ASSERT_EQ(run.status, 0) << run.err;

      TempFolder empty;
      run = RunCli(empty.path(), {"import", first, "--account", "Cash", "--create-account"});
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_NE(run.out.find("Imported 5 records into Cash (a new account)"), std::string::npos) << run.out;
      run = unicode ? RunCli(empty.path(), {"export", "Cash", second, "--force", "--unicode", "--date-form", formText, "--grouping", grouping})
                    : RunCli(empty.path(), {"export", "Cash", second, "--force", "--date-form", formText, "--grouping", grouping});
      ASSERT_EQ(run.status, 0) << run.err;
      const std::string before = ReadFile(first);
      const std::string after = ReadFile(second);
      EXPECT_GT(before.size(), 200u);
      EXPECT_EQ(AfterFirstLine(after, unicode), AfterFirstLine(before, unicode));
    }
  }
}

TEST_F(ImportCliTest, ABrokenLineRefusesTheWholeFileAndLeavesTheStoreAsItWas) {
  MakeStore();
  const fs::path file = files_.path() / "broken.csv";
  std::string lines =
      "\"Report Date: 25-11-26\",\"Account: Cash\"\r\n\"Date\",\"Category\",\"Amount\",\"Memo\"\r\n";
  for (int day = 10; day < 20; ++day) {
    lines += "\"" + std::to_string(day) + "-01-25\",\"Food\",\"-" + std::to_string(day) + ".00\",\"\"\r\n";
    if (day == 14) lines += "\"15-01-25\",\"Food\",\"-12,3x\",\"broken\"\r\n";
  }
  WriteFile(file, lines);

  CliRun run = RunUnchanged({"import", file.string(), "--account", "Cash"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "quidora-cli: nothing was imported: 1 problem in " + file.string() + "\n  " +
                         file.string() + ":8: amount: not an amount\n");
  EXPECT_EQ(CountRecords(home_.path(), u"Cash"), 5u);

  // Without the broken line a dry run tells what would be added and still writes nothing.
  lines.erase(lines.find("\"15-01-25\",\"Food\",\"-12,3x\""), std::string("\"15-01-25\",\"Food\",\"-12,3x\",\"broken\"\r\n").size());
  WriteFile(file, lines);
  run = RunUnchanged({"import", file.string(), "--account", "Cash", "--dry-run"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Would import 10 records into Cash from " + file.string() +
                         " (Quidora transactions file).\nNew categories: none\nDuplicates skipped: 0\n"
                         "Memos cut to 30 characters: 0\nIncome: 0.00\nExpenses: 145.00\n");

  // Refusals that name no line leave the store alone too.
  EXPECT_EQ(RunUnchanged({"import", file.string(), "--account", "Nowhere"}).status, 1);
  EXPECT_EQ(RunUnchanged({"import", file.string()}).status, 1);
  EXPECT_EQ(RunUnchanged({"import", (files_.path() / "missing.csv").string(), "--account", "Cash"}).status, 1);
  run = RunUnchanged({"import", std::string(QUIDORA_IMPORT_DATA) + "/statement-102.ofx", "--account", "Cash"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--category"), std::string::npos) << run.err;
}

TEST_F(ImportCliTest, TheSecondImportOfAFileAddsNothing) {
  MakeStore();
  const std::string qif = std::string(QUIDORA_IMPORT_DATA) + "/bank.qif";
  CliRun run = RunCli(home_.path(), {"import", qif, "--account", "Bank"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Imported 4 records into Bank"), std::string::npos) << run.out;
  const std::string listed = RunCli(home_.path(), {"records", "Bank"}).out;

  run = RunCli(home_.path(), {"import", qif, "--account", "Bank"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Imported 0 records into Bank"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Duplicates skipped: 4"), std::string::npos) << run.out;
  EXPECT_EQ(RunCli(home_.path(), {"records", "Bank"}).out, listed);

  run = RunCli(home_.path(), {"import", qif, "--account", "Bank", "--keep-duplicates"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(CountRecords(home_.path(), u"Bank"), 8u);

  // Each import that wrote (not the one that added nothing) kept the store as it was among the
  // backups first, marked as such.
  const CliRun listed_backups = RunCli(home_.path(), {"backups", "--format", "csv"});
  ASSERT_EQ(listed_backups.status, 0) << listed_backups.err;
  std::istringstream lines(listed_backups.out);
  int importBackups = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("import") != std::string::npos) ++importBackups;
  }
  EXPECT_EQ(importBackups, 2) << listed_backups.out;
}

TEST_F(ImportCliTest, WhileTheDeviceProgramRunsNothingIsImported) {
  MakeStore();
  platform::FolderLock deviceProgram;
  ASSERT_EQ(deviceProgram.Acquire(home_.path().string()), platform::FolderLock::Outcome::Held);
  const CliRun run = RunUnchanged(
      {"import", std::string(QUIDORA_IMPORT_DATA) + "/bank.qif", "--account", "Bank"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "quidora-cli: Quidora is running on " + home_.path().string() +
                         ": close it, then import again\n");
  // A dry run only reads.
  EXPECT_EQ(RunUnchanged({"import", std::string(QUIDORA_IMPORT_DATA) + "/bank.qif", "--account",
                          "Bank", "--dry-run"}).status, 0);
}

TEST_F(ImportCliTest, AnImportKilledPartWayLeavesNoneOrAllOfItsRecords) {
  MakeStore();
  const fs::path file = files_.path() / "many.qif";
  constexpr int kRecords = 30000;
  std::string qif = "!Type:Bank\n";
  for (int i = 0; i < kRecords; ++i) {
    qif += "D" + std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) + "/2024\nT-" +
           std::to_string(1 + i % 500) + ".25\nLFood\nMrecord " + std::to_string(i) + "\n^\n";
  }
  WriteFile(file, qif);
  const fs::path original = files_.path() / "original.db";
  fs::copy_file(home_.path() / "objectstore.db", original);

  int none = 0;
  int all = 0;
  for (int round = 0; round < 8; ++round) {
    fs::remove(home_.path() / "objectstore.db-wal");
    fs::copy_file(original, home_.path() / "objectstore.db", fs::copy_options::overwrite_existing);
    std::vector<std::string> argStore{QUIDORA_CLI_PATH, "import", file.string(), "--account", "Bank"};
    std::vector<char*> argv;
    for (std::string& arg : argStore) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string homeEntry = "QUIDORA_HOME=" + home_.path().string();
    char* envp[] = {homeEntry.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp), 0);
    posix_spawn_file_actions_destroy(&actions);
    std::this_thread::sleep_for(std::chrono::milliseconds(50 + round * 450));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);

    const std::size_t count = CountRecords(home_.path(), u"Bank");
    EXPECT_TRUE(count == 0 || count == kRecords) << "round " << round << ": " << count;
    (count == 0 ? none : all) += 1;
    // The store opens and passes its whole check afterwards.
    Restart();
    Open();
    EXPECT_TRUE(store_->Volume().CheckIntegrity());
    store_.reset();
  }
  std::cout << "killed imports: " << none << " left nothing, " << all << " were whole\n";
}

}  // namespace
}  // namespace quidora::testing
