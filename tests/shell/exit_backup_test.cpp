// The device program's backups: one at exit when the run changed the store and the newest is
// more than a day old, one before an older volume is upgraded, and the message of a damaged
// store that names the newest good backup.
#include <QProcess>
#include <filesystem>
#include <fstream>

#include "platform/backup_listing.h"
#include "platform/backup_snapshot.h"
#include "platform/ui/device_screen.h"
#include "shell/exit_backup.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell_fixture.h"
#include "store/record_writes.h"

namespace quidora::testing {
namespace {

class ExitBackupTest : public ShellTest {
 protected:
  // One run: started, changed by `change` (when given), closed; then the exit's backup as the
  // program's main makes it once the window has gone. Returns whether a backup was made.
  bool Run(const std::function<void(Session&)>& change = {}) {
    auto session = Start();
    EXPECT_NE(session, nullptr);
    if (session == nullptr) return false;
    if (change) change(*session);
    session->Screen().RequestClose();
    EXPECT_FALSE(session->Screen().isVisible()) << "the window closes before the backup";
    const bool changed = session->GetProgram().storeChangedThisRun;
    const auto made = BackUpAtExit(locations.dataFolder, changed, clock, messages, errors);
    session.reset();
    return made && made->outcome == platform::BackupResult::Outcome::Made;
  }

  std::vector<std::string> BackupNames() {
    std::vector<std::string> names;
    for (const auto& entry : platform::FindBackups(locations.dataFolder)) {
      names.push_back(entry.file.filename().string());
    }
    return names;
  }

  static void AddAccount(Session& session, const char16_t* name) {
    AccountRecord account;
    account.Reset();
    account.SetName(name);
    std::uint32_t key = 0;
    ASSERT_TRUE(AddAccountRecord(session.Store(), account, key, session.Messages()));
  }
};

TEST_F(ExitBackupTest, ARunThatChangedTheStoreIsBackedUpAtExitOnceADay) {
  Seed({u"Wallet"}, {u"Food"}, {{0, Day(2026, 3, 1), 500, kExpense, u"Food", u""}});
  clock.Set(Day(2026, 3, 15));
  EXPECT_TRUE(Run([](Session& s) { AddAccount(s, u"Bank"); })) << "there is no backup yet";
  EXPECT_EQ(BackupNames(), std::vector<std::string>{"objectstore-20260315-120000.db"});

  clock.Set(Day(2026, 3, 18));
  EXPECT_FALSE(Run()) << "a run that changed nothing makes none, however old the newest";

  SystemTime later = Day(2026, 3, 15);
  later.hour = 23;
  clock.Set(later);
  EXPECT_FALSE(Run([](Session& s) { AddAccount(s, u"Safe"); }))
      << "the newest backup is less than a day old";

  clock.Set(Day(2026, 3, 18));
  EXPECT_TRUE(Run([](Session& s) { AddAccount(s, u"Cash"); }));
  const auto backups = platform::FindBackups(locations.dataFolder);
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_TRUE(platform::BackupVerifies(backups[0]));
  ASSERT_TRUE(backups[0].record.has_value());
  // Four accounts, the category and the record: what the run left is what the backup holds.
  EXPECT_EQ(backups[0].record->records, 6u);
  EXPECT_TRUE(errors.str().empty()) << errors.str();
}

TEST_F(ExitBackupTest, ADamagedStoreIsToldWithTheNewestGoodBackupAtExitAndAtStart) {
  clock.Set(Day(2026, 3, 15));
  ASSERT_TRUE(Run([](Session& s) { AddAccount(s, u"Bank"); }));

  // The store is damaged while no copy runs: the start refuses it and says what to do.
  const std::string path = locations.objectStore.string();
  std::filesystem::resize_file(locations.objectStore,
                               std::filesystem::file_size(locations.objectStore) / 2);
  const std::u16string hint =
      u"A backup from 2026-03-15 12:00:00 UTC exists. To bring it back, close Quidora and run: "
      u"quidora-cli restore --latest";
  messages.Expect(u"Error during building database: " + std::u16string(path.begin(), path.end()) +
                  u" is damaged\n" + hint);
  messages.Expect(u"The Quidora program cannot continue !");
  EXPECT_EQ(Start(), nullptr);

  // The same store found damaged by the backup at exit: no backup, and the user hears of it.
  clock.Set(Day(2026, 3, 20));
  messages.Expect(u"Quidora found its store damaged while backing it up, so no backup was made "
                  u"of " +
                  std::u16string(path.begin(), path.end()) + u"\n" + hint);
  const auto made = BackUpAtExit(locations.dataFolder, true, clock, messages, errors);
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(made->outcome, platform::BackupResult::Outcome::StoreDamaged);
  EXPECT_EQ(BackupNames(), std::vector<std::string>{"objectstore-20260315-120000.db"});
  EXPECT_NE(errors.str().find("damaged"), std::string::npos);
}

TEST_F(ExitBackupTest, AStoreOfAnEarlierVersionIsBackedUpBeforeItsUpgrade) {
  Seed({u"Wallet"}, {u"Food"}, {{0, Day(2026, 3, 1), 500, kExpense, u"Food", u""}});
  // The first release's layout: the same tables without those added since.
  const int code = QProcess::execute(
      "sqlite3", {QString::fromStdString(locations.objectStore.string()),
                  "DROP TABLE sort_orders; DROP TABLE ordered_records; DROP TABLE key_runs;"
                  " DROP TABLE volume_state; DROP TABLE dated_records; DROP TABLE date_orders;"
                  " PRAGMA user_version=1;"});
  if (code != 0) GTEST_SKIP() << "the sqlite3 program is needed to write an older volume";
  auto session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->Window().List().RowCount(), 1);
  session.reset();
  const auto backups = platform::FindBackups(locations.dataFolder);
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].id.kind, platform::BackupKind::BeforeUpgrade);
  EXPECT_TRUE(platform::BackupVerifies(backups[0]));

  // Upgraded now: the next start makes no backup.
  session = Start();
  ASSERT_NE(session, nullptr);
  session.reset();
  EXPECT_EQ(platform::FindBackups(locations.dataFolder).size(), 1u);
}

}  // namespace
}  // namespace quidora::testing
