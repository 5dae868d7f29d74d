// quidora-cli's backup, backups and restore over a small store: what they print in each format,
// the store they bring back, and their refusals with the store left as it was.
#include <gtest/gtest.h>

#include <fstream>

#include "cli_runner.h"
#include "platform/folder_lock.h"
#include "store/databases.h"
#include "store/record_writes.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliBackupTest : public StoreTest {
 protected:
  void MakeStore(std::initializer_list<const char16_t*> accounts) {
    Open();
    for (const char16_t* name : accounts) {
      AccountRecord account = MakeAccount(name);
      AddAccount(account);
    }
    store_.reset();
    std::ofstream(home_.path() / "registry.reg") << "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:00000001\n";
  }

  CliRun Run(std::initializer_list<std::string_view> args) { return RunCli(home_.path(), args); }

  // The accounts' names as `quidora-cli accounts --format csv` lists them.
  std::string Accounts() { return Run({"accounts", "--format", "csv"}).out; }
};

TEST_F(CliBackupTest, BackupListAndRestoreBringBackTheStoreThatWasBackedUp) {
  MakeStore({u"Cash", u"Bank"});
  const std::string twoAccounts = Accounts();
  CliRun run = Run({"backup"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Backed up 2 records to " + (home_.path() / "backups").string() +
                         "/objectstore-"),
            std::string::npos)
      << run.out;

  // A third account, then the backup comes back: two accounts again, and the three are kept.
  Restart();
  Open();
  AccountRecord savings = MakeAccount(u"Savings");
  AddAccount(savings);
  store_.reset();
  const std::string threeAccounts = Accounts();
  ASSERT_NE(threeAccounts, twoAccounts);

  run = Run({"backups", "--format", "csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("name,time,kind,size,records,verified\nobjectstore-"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(",regular,"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(",2,yes\n"), std::string::npos) << run.out;
  const std::string name = run.out.substr(run.out.find('\n') + 1, run.out.find(".db") -
                                                                       run.out.find('\n') + 2);

  run = Run({"restore", name});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Restored 2 records from"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("The store it replaced was kept as "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("-restore"), std::string::npos) << run.out;
  EXPECT_EQ(Accounts(), twoAccounts);

  run = Run({"backups", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"kind\":\"restore\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"records\":3,\"verified\":\"yes\""), std::string::npos) << run.out;
  run = Run({"backups"});
  EXPECT_NE(run.out.find("Name"), std::string::npos);
  EXPECT_NE(run.out.find("Verified"), std::string::npos);

  // --latest is the newest verified one: the store the restore replaced.
  run = Run({"restore", "--latest"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Accounts(), threeAccounts);

  // To a file of the user's choice, and back from it.
  const fs::path file = home_.path() / "copy.db";
  run = Run({"backup", file.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(file.string() + ".reg"));
  EXPECT_EQ(Run({"backup", file.string()}).status, 2) << "an existing file is never overwritten";
  run = Run({"restore", file.string(), "--settings"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Accounts(), threeAccounts);
}

TEST_F(CliBackupTest, RefusalsChangeNothingAndSayWhy) {
  MakeStore({u"Cash"});
  ASSERT_EQ(Run({"backup"}).status, 0);
  const auto before = FolderBytes(home_.path());

  const fs::path junk = home_.path() / "junk.db";
  std::ofstream(junk) << "not a store";
  CliRun run = Run({"restore", junk.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(junk.string() + ": it is not a Quidora store; nothing was changed"),
            std::string::npos)
      << run.err;
  fs::remove(junk);

  run = Run({"restore", "objectstore-19990101-000000"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("there is no backup named"), std::string::npos) << run.err;
  EXPECT_EQ(Run({"restore"}).status, 1);
  EXPECT_EQ(Run({"restore", "a", "b"}).status, 1);
  EXPECT_EQ(Run({"restore", "--latest", "a"}).status, 1);
  EXPECT_EQ(Run({"backups", "--format", "xml"}).status, 1);
  EXPECT_EQ(Run({"backup", "--settings"}).status, 1);

  // While the device program holds the folder: status 3, and nothing is touched.
  {
    platform::FolderLock device;
    ASSERT_EQ(device.Acquire(home_.path().string()), platform::FolderLock::Outcome::Held);
    run = Run({"restore", "--latest"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("Quidora is running on " + home_.path().string()), std::string::npos)
        << run.err;
    EXPECT_EQ(Run({"backup"}).status, 3);
    EXPECT_EQ(Run({"backups"}).status, 0) << "listing only reads";
  }
  EXPECT_EQ(FolderBytes(home_.path()), before);

  // A damaged backup: listed as not verified, refused by restore, left byte for byte.
  fs::path storeCopy;
  for (const auto& entry : fs::directory_iterator(home_.path() / "backups")) {
    if (entry.path().extension() == ".db") storeCopy = entry.path();
  }
  std::string bytes = Read(storeCopy);
  bytes[bytes.size() / 2] ^= 0x10;
  std::ofstream(storeCopy, std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_NE(Run({"backups", "--format", "csv"}).out.find(",no\n"), std::string::npos);
  run = Run({"restore", "--latest"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("there is no verified backup"), std::string::npos) << run.err;
  run = Run({"restore", storeCopy.filename().string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(storeCopy.string() + ": it is damaged"), std::string::npos) << run.err;
  EXPECT_EQ(Read(storeCopy), bytes);
}

}  // namespace
}  // namespace quidora::testing
