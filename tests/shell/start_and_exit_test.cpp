// Start-up and the exit sequence through the real program: the first start on an empty device,
// a second copy, a store that cannot be opened, what the exit writes and deletes, and a restart.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/message_box.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/volume_watch.h"
#include "program/program.h"
#include "quidora_version.h"
#include "shell_fixture.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::testing {
namespace {

using store::kAccountsDatabaseName;
using store::kCategoriesDatabaseName;
using store::kMoneyDatabaseName;

// The version the About box shows, read from its control as the user reads it.
QString AboutVersion(Session& session) {
  QString shown;
  DialogDriver driver(session.Screen());
  driver.Then([&shown](ui::FullScreenDialog& about) {
    if (auto* text = ui::FindControl<QLabel>(&about, control::kVersionText)) shown = text->text();
    about.OnTitleOk();
  });
  session.Window().RunCommand(command::kAbout);
  return shown;
}

std::string Dword(std::string_view name, std::uint32_t value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", value);
  return "\"" + std::string(name) + "\"=dword:" + digits + "\n";
}

TEST_F(ShellTest, FirstStartCreatesTheDatabasesAndShowsAnEmptyView) {
  StartOutcome outcome = StartOutcome::Failed;
  auto session = Start({240, 320}, &outcome);
  ASSERT_EQ(outcome, StartOutcome::Running);
  ASSERT_NE(session, nullptr);
  Program& program = session->GetProgram();
  MainWindow& window = session->Window();

  EXPECT_TRUE(session->Screen().isVisible());
  EXPECT_TRUE(program.accounts.empty());
  EXPECT_TRUE(program.categories.empty());
  EXPECT_EQ(window.List().RowCount(), 0);
  EXPECT_EQ(window.View().Chooser().count(), 0);
  EXPECT_EQ(window.View().BalanceText(), "Balance: 0.00");
  EXPECT_FALSE(window.View().IsBalanceNegative());
  // Defaults of a device without settings.
  EXPECT_EQ(program.sortOrder, 2u);
  EXPECT_FALSE(program.sortedThisRun);
  EXPECT_EQ(program.today, Day(2026, 3, 15));

  const ui::MenuBar& menu = session->Screen().Menu();
  for (int greyed :
       {command::kTransactionsReport, command::kTransactionsReportButton,
        command::kExportTransactions, command::kDeleteByRange, command::kAccountsBalance,
        command::kUndoDeleting, command::kUndoDeletingButton, command::kEmptyUndo}) {
    EXPECT_FALSE(menu.IsCommandEnabled(greyed)) << greyed;
  }
  for (int enabled : {command::kNewTransaction, command::kNewAccount, command::kAccounts,
                      command::kEditCategories, command::kEditCategoriesButton, command::kExit,
                      command::kAbout}) {
    EXPECT_TRUE(menu.IsCommandEnabled(enabled)) << enabled;
  }
  // Nothing is written before the exit.
  EXPECT_EQ(RegistryText(), "");
  session.reset();
  EXPECT_EQ(StoredCount(kMoneyDatabaseName), 0u);
  EXPECT_EQ(StoredCount(kAccountsDatabaseName), 0u);
  EXPECT_EQ(StoredCount(kCategoriesDatabaseName), 0u);
}

TEST_F(ShellTest, ExitDeletesEmptyDatabasesAndWritesEverySetting) {
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Close(session);

  EXPECT_EQ(StoredCount(kMoneyDatabaseName), std::nullopt);
  EXPECT_EQ(StoredCount(kAccountsDatabaseName), std::nullopt);
  EXPECT_EQ(StoredCount(kCategoriesDatabaseName), std::nullopt);
  const std::string registry = RegistryText();
  EXPECT_NE(registry.find("[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora]"), std::string::npos);
  EXPECT_NE(registry.find("\"SortOrder\"=dword:00000002"), std::string::npos);
  EXPECT_NE(registry.find("\"ExportFileFolder\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(registry.find("LastAccount"), std::string::npos);
}

TEST_F(ShellTest, ExitKeepsDatabasesWithRecordsAndStoresTheShownAccount) {
  Seed({u"Bank", u"Cash"}, {u"Food"}, {{1, Day(2026, 3, 1), 500, kExpense, u"Food", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  // The account at position 0 is shown first; choose the other one as a user would.
  AccountChooser& chooser = session->Window().View().Chooser();
  ASSERT_EQ(chooser.currentText(), "Bank");
  chooser.setCurrentIndex(chooser.findText("Cash"));
  emit chooser.activated(chooser.currentIndex());
  Close(session);

  EXPECT_EQ(StoredCount(kMoneyDatabaseName), 1u);
  EXPECT_EQ(StoredCount(kAccountsDatabaseName), 2u);
  EXPECT_EQ(StoredCount(kCategoriesDatabaseName), 1u);
  EXPECT_NE(RegistryText().find("\"LastAccount\"=\"Cash\""), std::string::npos);

  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->Window().View().Chooser().currentText(), "Cash");
  EXPECT_EQ(session->Window().List().RowCount(), 1);
  EXPECT_EQ(session->Window().View().BalanceText(), "Balance: -5.00");
}

TEST_F(ShellTest, ASecondCopyEndsWithoutTouchingAnything) {
  Seed({u"Bank"}, {}, {});
  // A killed run's temporary files are removed by the copy that holds the data folder.
  const auto plant = [this] {
    for (const char* name : {"objectstore.db.new-41-7", "registry.reg.tmp-x1Y2z3"}) {
      std::ofstream(locations.dataFolder / name) << "left over";
    }
  };
  plant();
  auto first = Start();
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(std::filesystem::exists(locations.dataFolder / "objectstore.db.new-41-7"));
  EXPECT_FALSE(std::filesystem::exists(locations.dataFolder / "registry.reg.tmp-x1Y2z3"));
  plant();
  const std::string registryBefore = RegistryText();

  // Whatever path names the data folder, the second copy meets the first.
  const std::filesystem::path link = HomePath().toStdString() + "-link";
  std::filesystem::create_directory_symlink(locations.dataFolder, link);
  const platform::DeviceLocations direct = locations;
  locations = *platform::ResolveDeviceLocations([&link](const char* name) -> const char* {
    return std::string_view(name) == "QUIDORA_HOME" ? link.c_str() : nullptr;
  });
  StartOutcome outcome = StartOutcome::Running;
  auto second = Start({240, 320}, &outcome);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(outcome, StartOutcome::SecondCopy);

  // A second copy that cannot reach the first (no private runtime folder) still stays out,
  // and says why.
  runtimeDir = QStringLiteral("/tmp");
  const std::u16string told =
      u"Another copy of Quidora is already using this data folder: " + link.u16string();
  messages.Expect(told);
  outcome = StartOutcome::Running;
  EXPECT_EQ(Start({240, 320}, &outcome), nullptr);
  EXPECT_EQ(outcome, StartOutcome::SecondCopy);
  EXPECT_EQ(messages.log.back().icon, MessageIcon::Stop);
  const std::string line =
      "quidora: Another copy of Quidora is already using this data folder: " + link.string();
  EXPECT_NE(errors.str().find(line + "\n"), std::string::npos) << errors.str();
  std::filesystem::remove(link);

  EXPECT_EQ(RegistryText(), registryBefore);
  EXPECT_TRUE(std::filesystem::exists(direct.dataFolder / "objectstore.db.new-41-7"))
      << "nothing is removed while another copy may be writing it";
  EXPECT_TRUE(first->Screen().isVisible());

  // Once the first copy has ended, the next start runs.
  locations = direct;
  runtimeDir.clear();
  Close(first);
  auto third = Start({240, 320}, &outcome);
  EXPECT_NE(third, nullptr);
  EXPECT_EQ(outcome, StartOutcome::Running);
}

TEST_F(ShellTest, ADataFolderWithTooLongAPathIsRefusedBeforeAnythingIsMade) {
  std::string path = HomePath().toStdString();
  while (path.size() < 469) {
    path += "/" + std::string(std::min<std::size_t>(100, 468 - path.size()), 'd');
  }
  locations = *platform::ResolveDeviceLocations([&path](const char* name) -> const char* {
    return std::string_view(name) == "QUIDORA_HOME" ? path.c_str() : nullptr;
  });
  ASSERT_GE(path.size(), 469u);
  messages.Expect(u"The path of Quidora's data folder is longer than 400 bytes: " +
                  std::filesystem::path(path).u16string());
  StartOutcome outcome = StartOutcome::Running;
  EXPECT_EQ(Start({240, 320}, &outcome), nullptr);
  EXPECT_EQ(outcome, StartOutcome::Failed);
  EXPECT_TRUE(std::filesystem::is_empty(HomePath().toStdString())) << "no folder was left behind";
  EXPECT_NE(errors.str().find("longer than 400 bytes"), std::string::npos);
}

TEST_F(ShellTest, SettingsThatCannotBeSavedOrADamagedFileSetAsideAreToldAtExit) {
  platform::PrepareDevice(locations);
  std::ofstream(locations.registry) << "not a registry at all\n";
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Close(session);
  EXPECT_NE(errors.str().find(locations.registry.string() + " was damaged; it was set aside as " +
                              locations.registry.string() + ".damaged\n"),
            std::string::npos)
      << errors.str();
  EXPECT_NE(RegistryText().find("\"SortOrder\"=dword:00000002"), std::string::npos);

  // A folder where the file should be: the settings cannot be written, and the user hears it.
  std::filesystem::remove(locations.registry);
  std::filesystem::create_directory(locations.registry);
  errors.str("");
  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_NE(errors.str().find(locations.registry.string() +
                              ": is not a regular file; the settings start from their defaults"),
            std::string::npos)
      << errors.str();
  const std::u16string told =
      u"Quidora could not save its settings in " + locations.registry.u16string();
  messages.Expect(told);
  Close(session);
  EXPECT_EQ(messages.log.back().text, told);
  EXPECT_NE(errors.str().find("quidora: Quidora could not save its settings in"),
            std::string::npos);
}

TEST_F(ShellTest, AStoreThatCannotBeOpenedEndsTheStartWithoutWriting) {
  platform::PrepareDevice(locations);
  {
    std::ofstream junk(locations.objectStore, std::ios::binary);
    junk << "this is not a volume of the object store, just some text in its place";
  }
  const std::string path = locations.objectStore.string();
  messages.Expect(u"Error during building database: " + std::u16string(path.begin(), path.end()) +
                  u" is not a Quidora store");
  messages.Expect(u"The Quidora program cannot continue !");
  StartOutcome outcome = StartOutcome::Running;
  auto session = Start({240, 320}, &outcome);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(outcome, StartOutcome::Failed);
  ASSERT_FALSE(messages.log.empty());
  EXPECT_EQ(messages.log.back().text, u"The Quidora program cannot continue !");
  EXPECT_EQ(messages.log.back().icon, MessageIcon::Stop);
  EXPECT_EQ(RegistryText(), "");
  EXPECT_FALSE(messages.waitCursor);
}

// The volume opens, but the page holding the accounts is damaged: besides the box, standard
// error names the file and what is wrong, and nothing is written.
TEST_F(ShellTest, ADamagedPageOfTheStoreIsNamedOnStandardErrorWithItsFile) {
  platform::PrepareDevice(locations);
  {
    Databases store(locations.objectStore, clock);
    CategoryList categories;
    AccountList accounts;
    AccountRecord current;
    Settings settings;
    ASSERT_TRUE(OpenDatabases(store, categories, accounts, current, settings, messages));
    AccountRecord cash;
    cash.SetName(u"Cash");
    std::uint32_t key = 0;
    ASSERT_TRUE(AddAccountRecord(store, cash, key, messages));
    store.CloseAll();
    ASSERT_TRUE(store.MarkCleanEnd());
  }
  // The records live in one table; its root page holds them all in a store this small.
  const std::string path = locations.objectStore.string();
  FILE* query = ::popen(("sqlite3 '" + path +
                         "' \"SELECT rootpage FROM sqlite_schema WHERE name='records'\" 2>/dev/null")
                            .c_str(),
                        "r");
  int rootPage = 0;
  if (query == nullptr || std::fscanf(query, "%d", &rootPage) != 1) rootPage = 0;
  if (query != nullptr) ::pclose(query);
  if (rootPage < 2) GTEST_SKIP() << "the sqlite3 program is not installed";
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(rootPage - 1) * 4096 + 8);
    const std::string junk(4000, '\x5A');
    file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  const std::string before = [&] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();

  messages.Expect(u"The Quidora program cannot continue !");
  StartOutcome outcome = StartOutcome::Running;
  auto session = Start({240, 320}, &outcome);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(outcome, StartOutcome::Failed);
  EXPECT_NE(errors.str().find("quidora: " + path + ": "), std::string::npos) << errors.str();
  EXPECT_NE(errors.str().find("cannot be read"), std::string::npos) << errors.str();
  std::ifstream after(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), before);
}

// Waits for the background check of the store; false when it never reported.
bool WaitForVolumeCheck(Session& session) {
  return QTest::qWaitFor([&session] { return session.Watch().Finished(); }, 20000);
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// After a clean end, a page that no start reads (the index of the sort copies by object
// identifier) is damaged while the program is stopped. The start still succeeds; the check in
// the background finds the damage, names the file at once, and the exit then leaves the file
// byte for byte as it was: no tidying, no mark of a clean end, no log folded into it.
TEST_F(ShellTest, DamageFoundInTheBackgroundIsToldAndTheStoreIsNotWrittenAgain) {
  Seed({u"Cash", u"Bank"}, {u"Food"},
       {{1, Day(2026, 3, 1), 500, kExpense, u"Food", u""},
        {1, Day(2026, 3, 2), 700, kExpense, u"Food", u""}});
  {
    Databases store(locations.objectStore, clock);
    ASSERT_TRUE(store.OpenVolume());
    ASSERT_TRUE(store.MarkCleanEnd());
  }
  const std::string path = locations.objectStore.string();
  FILE* query = ::popen(("sqlite3 '" + path +
                         "' \"SELECT rootpage FROM sqlite_schema WHERE "
                         "name='ordered_records_by_oid'\" 2>/dev/null")
                            .c_str(),
                        "r");
  int indexPage = 0;
  if (query == nullptr || std::fscanf(query, "%d", &indexPage) != 1) indexPage = 0;
  if (query != nullptr) ::pclose(query);
  if (indexPage < 2) GTEST_SKIP() << "the sqlite3 program is not installed";
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(indexPage - 1) * 4096);
    const std::string junk(4096, '\x5A');
    file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  const std::string before = FileBytes(path);

  auto session = Start();
  ASSERT_NE(session, nullptr) << errors.str();
  EXPECT_EQ(session->Window().List().RowCount(), 0) << "Cash, with no records, is shown";
  messages.Expect(u"Quidora found its store damaged and will write nothing more to " +
                  std::u16string(path.begin(), path.end()));
  ASSERT_TRUE(WaitForVolumeCheck(*session));
  EXPECT_TRUE(session->Watch().Started());
  EXPECT_TRUE(messages.AllShown());
  ASSERT_FALSE(messages.log.empty());
  EXPECT_EQ(messages.log.back().icon, MessageIcon::Stop);
  EXPECT_NE(errors.str().find(path + ": the whole-file check found: "), std::string::npos)
      << errors.str();
  // A write asked for now is refused, with the same message.
  messages.Expect(u"Quidora found its store damaged and will write nothing more to " +
                  std::u16string(path.begin(), path.end()));
  AccountRecord more;
  more.SetName(u"Savings");
  std::uint32_t key = 0;
  EXPECT_FALSE(AddAccountRecord(session->Store(), more, key, messages));
  EXPECT_TRUE(messages.AllShown());
  Close(session);
  EXPECT_EQ(FileBytes(path), before) << "the exit wrote over the damaged store";
}

// A sound store checked today is not checked again until tomorrow, or until 100 starts later.
TEST_F(ShellTest, TheBackgroundCheckRunsOnceADayOrAfterAHundredStarts) {
  Seed({u"Cash"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  ASSERT_TRUE(WaitForVolumeCheck(*session));
  Close(session);
  EXPECT_NE(RegistryText().find(Dword("VolumeCheckDay", DayNumber(clock.NowUtc()))),
            std::string::npos)
      << RegistryText();

  session = Start();
  ASSERT_NE(session, nullptr);
  QTest::qWait(200);
  EXPECT_FALSE(session->Watch().Started()) << "checked again on the same day";
  Close(session);
  EXPECT_NE(RegistryText().find(Dword("StartsSinceVolumeCheck", 1)), std::string::npos)
      << RegistryText();

  clock.Set(Day(2026, 3, 16));
  session = Start();
  ASSERT_NE(session, nullptr);
  ASSERT_TRUE(WaitForVolumeCheck(*session)) << "a day later the check is due";
  Close(session);

  // The 100th start since the last check is due again, on the same day.
  std::string registry = RegistryText();
  const std::string reset = Dword("StartsSinceVolumeCheck", 0);
  const std::size_t counter = registry.find(reset);
  ASSERT_NE(counter, std::string::npos) << "the counter is reset by a check\n" << registry;
  registry.replace(counter, reset.size(), Dword("StartsSinceVolumeCheck", 99));
  std::ofstream(locations.registry, std::ios::trunc) << registry;
  session = Start();
  ASSERT_NE(session, nullptr);
  ASSERT_TRUE(WaitForVolumeCheck(*session)) << "the 100th start checks";
  Close(session);
}

TEST_F(ShellTest, ExitCommandClosesThroughTheExitSequence) {
  Seed({u"Bank"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  session->Screen().Menu().Choose(command::kExit);
  // Exit is posted: the window is still up until the event loop gets to it.
  EXPECT_TRUE(session->Screen().isVisible());
  for (int i = 0; i < 50 && session->Screen().isVisible(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_FALSE(session->Screen().isVisible());
  EXPECT_NE(RegistryText().find("\"LastAccount\"=\"Bank\""), std::string::npos);
  session.reset();
  // The account survives; the empty money database does not.
  EXPECT_EQ(StoredCount(kAccountsDatabaseName), 1u);
  EXPECT_EQ(StoredCount(kMoneyDatabaseName), std::nullopt);
}

TEST_F(ShellTest, ASessionEndedWithoutTheCloseRequestWritesNothing) {
  Seed({u"Bank"}, {u"Food"}, {{0, Day(2026, 3, 1), 500, kExpense, u"Food", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  ASSERT_EQ(session->Window().List().RowCount(), 1);
  emit session->Window().List().HeaderTapped(0);
  // Torn down while the screen still shows the rows, with their layout pending.
  session.reset();
  EXPECT_EQ(RegistryText(), "");
  EXPECT_EQ(StoredCount(kMoneyDatabaseName), 1u);
}

TEST_F(ShellTest, SigtermRunsTheExitSequence) {
  Seed({u"Bank"}, {}, {});
  auto session = Start({240, 320}, nullptr, /*handleTerminationSignals=*/true);
  ASSERT_NE(session, nullptr);
  ASSERT_EQ(raise(SIGTERM), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session->Screen().isVisible(); }, 5000));
  EXPECT_NE(RegistryText().find("\"LastAccount\"=\"Bank\""), std::string::npos);
}

TEST_F(ShellTest, SigtermWhileAStartUpBoxIsOpenStillSavesTheSettings) {
  Seed({u"Bank"}, {}, {{0, Day(2026, 3, 1), 500, kExpense, u"", u""}});
  // The money record's stored properties are garbage: loading it shows a box during start-up.
  // (The database name is "Vesko Quidbook" in UTF-16LE; both sort orders hold the record.)
  QProcess sqlite;
  sqlite.start(
      QStringLiteral("sqlite3"),
      {QString::fromStdString(locations.objectStore.string()),
       QStringLiteral(
           "UPDATE records SET props = x'ff' WHERE db = (SELECT oid FROM "
           "databases WHERE name = x'5600650073006b006f002000510075006900640062006f006f006b00');"
           "UPDATE ordered_records SET props = x'ff' WHERE db = (SELECT oid FROM "
           "databases WHERE name = x'5600650073006b006f002000510075006900640062006f006f006b00')")});
  ASSERT_TRUE(sqlite.waitForFinished(10000));
  ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();

  realBoxes = true;
  bool boxSeen = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&boxSeen] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!boxSeen && widget->isVisible() && qobject_cast<ui::MessageBox*>(widget) != nullptr) {
        boxSeen = true;
        raise(SIGTERM);
      }
    }
  });
  watch.start(20);
  StartOutcome outcome = StartOutcome::Failed;
  auto session = Start({240, 320}, &outcome, /*handleTerminationSignals=*/true);
  watch.stop();
  ASSERT_TRUE(boxSeen);
  ASSERT_EQ(outcome, StartOutcome::Running);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session->Screen().isVisible(); }, 5000));
  EXPECT_NE(RegistryText().find("\"LastAccount\"=\"Bank\""), std::string::npos);
}

TEST_F(ShellTest, TheProgramMakesNoRuntimeFolderWhereAMissingOneIsNamed) {
  const QString absent = HomePath() + QStringLiteral("-runtime");
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), absent);
  environment.insert(QStringLiteral("QUIDORA_HOME"),
                     QString::fromStdString(locations.dataFolder.string()));
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(QUIDORA_PATH));
  // The lock is taken after the application object is made, which is when a runtime folder
  // would be made.
  const bool locked = QTest::qWaitFor(
      [&] { return std::filesystem::exists(locations.dataFolder / "quidora.lock"); }, 30000);
  program.kill();
  program.waitForFinished(10000);
  EXPECT_TRUE(locked);
  EXPECT_FALSE(QFileInfo::exists(absent));
  QDir(absent).removeRecursively();
}

TEST_F(ShellTest, ActivationRaisesThePanelOnlyForAnOpenDialogWithFields) {
  Seed({u"Bank"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  ui::InputPanel& panel = session->Screen().Panel();
  panel.Raise();
  session->Screen().ActivateTopPage();
  EXPECT_FALSE(panel.IsRaised());

  QWidget fieldsDialog;
  session->GetProgram().openDialog = &fieldsDialog;
  session->Screen().ActivateTopPage();
  EXPECT_TRUE(panel.IsRaised());
}

TEST_F(ShellTest, HelpInTheMainWindowShowsTheNavigatingTopic) {
  auto session = Start();
  ASSERT_NE(session, nullptr);
  QStringList started;
  session->Screen().Help().SetProcessStarter(
      [&started](const QString&, const QStringList& arguments) { started << arguments; });
  QTest::keyClick(session->Window().List().viewport(), Qt::Key_F1);
  EXPECT_EQ(started, QStringList{"file:equidorappc.htm#Navigating"});
}

TEST_F(ShellTest, ADeviceWithoutAnInstalledVersionTakesThisOneAndAnInstalledOneIsKept) {
  auto session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(AboutVersion(*session), QString("%1.%2").arg(kVersionMajor).arg(kVersionMinor));
  EXPECT_EQ(RegistryText(), "");  // the exit writes it, with every other setting
  Close(session);
  std::string registry = RegistryText();
  EXPECT_NE(registry.find(Dword("MajorVersion", kVersionMajor)), std::string::npos) << registry;
  EXPECT_NE(registry.find(Dword("MinorVersion", kVersionMinor)), std::string::npos) << registry;

  // An installation's values stand, a zero among them; only a missing one is filled in.
  std::ofstream(locations.registry) << "[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora]\n"
                                    << Dword("MajorVersion", 0) << Dword("MinorVersion", 12);
  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(AboutVersion(*session), "0.12");
  Close(session);
  registry = RegistryText();
  EXPECT_NE(registry.find(Dword("MajorVersion", 0)), std::string::npos) << registry;
  EXPECT_NE(registry.find(Dword("MinorVersion", 12)), std::string::npos) << registry;

  std::ofstream(locations.registry) << "[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora]\n"
                                    << Dword("MajorVersion", 2);
  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(AboutVersion(*session), QString("2.%1").arg(kVersionMinor));
}

}  // namespace
}  // namespace quidora::testing
