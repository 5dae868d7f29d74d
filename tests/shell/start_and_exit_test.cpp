// Start-up and the exit sequence through the real program: the first start on an empty device,
// a second copy, a store that cannot be opened, what the exit writes and deletes, and a restart.
#include <QApplication>
#include <QTest>
#include <csignal>
#include <fstream>

#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/program.h"
#include "shell_fixture.h"
#include "store/database_layout.h"

namespace quidora::testing {
namespace {

using store::kAccountsDatabaseName;
using store::kCategoriesDatabaseName;
using store::kMoneyDatabaseName;

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
  auto first = Start();
  ASSERT_NE(first, nullptr);
  const std::string registryBefore = RegistryText();

  StartOutcome outcome = StartOutcome::Running;
  auto second = Start({240, 320}, &outcome);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(outcome, StartOutcome::SecondCopy);
  EXPECT_EQ(RegistryText(), registryBefore);
  EXPECT_TRUE(first->Screen().isVisible());

  // Once the first copy has ended, the next start runs.
  Close(first);
  auto third = Start({240, 320}, &outcome);
  EXPECT_NE(third, nullptr);
  EXPECT_EQ(outcome, StartOutcome::Running);
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

TEST_F(ShellTest, ActivationRaisesThePanelOnlyForAnOpenDialogWithFields) {
  Seed({u"Bank"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  ui::InputPanel& panel = session->Screen().Panel();
  panel.Raise();
  emit session->Screen().ActivationChanged(true);
  EXPECT_FALSE(panel.IsRaised());

  QWidget fieldsDialog;
  session->GetProgram().openDialog = &fieldsDialog;
  emit session->Screen().ActivationChanged(true);
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

}  // namespace
}  // namespace quidora::testing
