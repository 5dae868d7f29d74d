// Whole user flows through the main window and the real dialogs: accounts, new, edited, moved
// and deleted records, the undo list and the account limit.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "core/money_record.h"
#include "dialogs/dialogs.h"
#include "dialogs/report_list.h"
#include "platform/ui/cash_sound.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/navigation_bar.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_model.h"
#include "program/program.h"
#include "shell/undo_list.h"
#include "shell_driving.h"
#include "shell_fixture.h"

namespace quidora::testing {
namespace {

constexpr std::u16string_view kUndoFull =
    u"The Undo can hold only 12 records. Deleting this record will add it to the end and discard "
    u"the first record. Do you want to delete it anyway?";
constexpr std::u16string_view kAccountLimit =
    u"Current version of Quidora supports only 15 accounts. You reached this maximum number! "
    u"Solution: You can delete one of the old accounts...";

using ui::FullScreenDialog;

constexpr int kNameField = 1134;
constexpr int kAccountOk = 1138;
constexpr int kAmountField = 1017;
constexpr int kIncomeButton = 1019;
constexpr int kCategoryList = 1022;
constexpr int kAccountList = 1024;
constexpr int kTransactionCancel = 1027;
constexpr int kTransactionOk = 1028;
constexpr int kTransactionDelete = 1029;
constexpr int kAccountBack = 1137;
constexpr int kAccountDelete = 1139;
constexpr int kAccountsBack = 1141;
constexpr int kAccountsList = 502;
constexpr int kCategoriesDelete = 1034;
constexpr int kCategoriesList = 1060;
constexpr int kApplyToRecords = 1035;

QString RowText(MoneyListView& list, int row, int column) {
  return list.model()->index(row, column).data().toString();
}

QStringList Column(MoneyListView& list, int column) {
  QStringList texts;
  for (int row = 0; row < list.RowCount(); ++row) texts << RowText(list, row, column);
  return texts;
}

// Fills the transaction dialog and confirms it.
DialogDriver::Handler EnterTransaction(const QString& amount, const QString& category,
                                       const QString& account = {}, bool income = false) {
  return [=](FullScreenDialog& dialog) {
    EXPECT_EQ(dialog.Title(), "Specify amount");
    TypeText(&dialog, kAmountField, amount);
    if (income) Click(&dialog, kIncomeButton);
    ChooseEntry(&dialog, kCategoryList, category);
    if (!account.isEmpty()) ChooseEntry(&dialog, kAccountList, account);
    Click(&dialog, kTransactionOk);
  };
}

DialogDriver::Handler DeleteTransaction() {
  return [](FullScreenDialog& dialog) { Click(&dialog, kTransactionDelete); };
}

class CommandsTest : public ShellTest {
 protected:
  // Bank: three expenses; Cash: one income.
  void SeedTwoAccounts() {
    Seed({u"Bank", u"Cash"}, {u"Food", u"Salary"},
         {{0, Day(2026, 1, 10), 1000, kExpense, u"Food", u"first"},
          {0, Day(2026, 1, 20), 2000, kExpense, u"Food", u"second"},
          {0, Day(2026, 1, 30), 3000, kExpense, u"Food", u"third"},
          {1, Day(2026, 2, 1), 50000, kIncome, u"Salary", u""}});
  }

  static void TapAccountsRow(FullScreenDialog& dialog, int row) {
    auto* list = ui::FindControl<dialogs::ReportList>(&dialog, kAccountsList);
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(row)).center());
  }

  void ChooseAccount(Session& session, const QString& name) {
    AccountChooser& chooser = session.Window().View().Chooser();
    const int index = chooser.findText(name);
    ASSERT_GE(index, 0);
    chooser.setCurrentIndex(index);
    emit chooser.activated(index);
  }
};

TEST_F(CommandsTest, NewTransactionWithoutAnAccountAsksForTheAccountFirst) {
  auto session = Start();
  ASSERT_NE(session, nullptr);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) {
    EXPECT_EQ(dialog.Title(), "Account");
    TypeText(&dialog, kNameField, "  Wallet ");
    Click(&dialog, kAccountOk);
  });
  session->Screen().Menu().Choose(command::kNewTransaction);

  EXPECT_EQ(driver.Opened(), QStringList{"Account"});
  Program& program = session->GetProgram();
  ASSERT_EQ(program.accounts.size(), 1u);
  EXPECT_EQ(program.currentAccount.Name(), u"Wallet");
  EXPECT_EQ(program.currentAccount.key, program.accounts[0].key);
  EXPECT_EQ(program.settings.lastAccount, u"Wallet");
  EXPECT_EQ(session->Window().View().Chooser().currentText(), "Wallet");
  EXPECT_EQ(session->Window().List().RowCount(), 0);
  EXPECT_TRUE(session->Screen().Menu().IsCommandEnabled(command::kAccountsBalance));
  // No record was added, so nothing to celebrate.
  EXPECT_EQ(session->Window().Sound().PlayRequests(), 0);
}

TEST_F(CommandsTest, NewRecordsAreStoredShownAndSurviveARestart) {
  Seed({u"Bank", u"Cash"}, {u"Food", u"Salary"}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  {
    DialogDriver driver(session->Screen());
    driver.Then(EnterTransaction("12.50", "Food"));
    driver.Then(EnterTransaction("7", "Food"));
    // For an account that is not shown: stored, but no row.
    driver.Then(EnterTransaction("100", "Salary", "Cash", true));
    window.RunCommand(command::kNewTransaction);
    window.RunCommand(command::kNewTransaction);
    window.RunCommand(command::kNewTransaction);
  }
  ASSERT_EQ(window.List().RowCount(), 2);
  EXPECT_EQ(RowText(window.List(), 0, MoneyListModel::kAmountColumn), "12.50");
  EXPECT_EQ(RowText(window.List(), 1, MoneyListModel::kAmountColumn), "7.00");
  EXPECT_EQ(RowText(window.List(), 1, MoneyListModel::kCategoryColumn), "Food");
  EXPECT_EQ(RowText(window.List(), 1, MoneyListModel::kDateColumn), "15-03-26");
  EXPECT_EQ(window.List().SelectedRow(), 1) << "the appended row is selected";
  EXPECT_EQ(window.View().BalanceText(), "Balance: -19.50");
  EXPECT_TRUE(window.View().IsBalanceNegative());
  EXPECT_EQ(window.Sound().PlayRequests(), 3);
  EXPECT_TRUE(session->Screen().Menu().IsCommandEnabled(command::kTransactionsReportButton));
  EXPECT_TRUE(session->Screen().Menu().IsCommandEnabled(command::kDeleteByRange));
  Close(session);
  EXPECT_EQ(StoredCount(u"Vesko Quidbook"), 3u);

  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->Window().List().RowCount(), 2);
  EXPECT_EQ(session->Window().View().BalanceText(), "Balance: -19.50");
  ChooseAccount(*session, "Cash");
  EXPECT_EQ(session->Window().List().RowCount(), 1);
  EXPECT_EQ(session->Window().View().BalanceText(), "Balance: 100.00");
  EXPECT_FALSE(session->Window().View().IsBalanceNegative());
}

TEST_F(CommandsTest, CancellingANewTransactionStoresNothingAndReselectsTheRow) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  window.List().SelectRow(1);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, kTransactionCancel); });
  window.RunCommand(command::kNewTransaction);
  EXPECT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(window.List().SelectedRow(), 1);
  EXPECT_EQ(window.Sound().PlayRequests(), 0);
}

TEST_F(CommandsTest, EditingARecordRewritesItsRowInPlace) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  ASSERT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(window.View().BalanceText(), "Balance: -60.00");

  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) {
    TypeText(&dialog, kAmountField, "25");
    Click(&dialog, kIncomeButton);
    Click(&dialog, kTransactionOk);
  });
  TapRow(window.List(), 1);
  EXPECT_EQ(driver.Opened(), QStringList{"Specify amount"});
  EXPECT_EQ(session->GetProgram().transactionEditFlag, 0);
  ASSERT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(RowText(window.List(), 1, MoneyListModel::kAmountColumn), "25.00");
  EXPECT_EQ(session->GetProgram().money[1].type, kIncome);
  EXPECT_EQ(window.List().SelectedRow(), 1);
  EXPECT_EQ(window.View().BalanceText(), "Balance: -15.00");
  Close(session);

  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->Window().View().BalanceText(), "Balance: -15.00");
}

TEST_F(CommandsTest, EditingAnExpenseKeepsItAnExpense) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, kTransactionOk); });
  TapRow(window.List(), 0);
  EXPECT_EQ(session->GetProgram().money[0].type, kExpense);
  EXPECT_EQ(window.View().BalanceText(), "Balance: -60.00");
  EXPECT_EQ(window.List().model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
            window.List().model()->index(1, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey());
}

TEST_F(CommandsTest, MovingARecordToAnotherAccountRemovesItsRow) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  {
    DialogDriver driver(session->Screen());
    driver.Then([](FullScreenDialog& dialog) {
      ChooseEntry(&dialog, kAccountList, "Cash");
      Click(&dialog, kTransactionOk);
    });
    TapRow(window.List(), 0);
  }
  ASSERT_EQ(window.List().RowCount(), 2);
  EXPECT_EQ(RowText(window.List(), 0, MoneyListModel::kAmountColumn), "20.00");
  EXPECT_EQ(RowText(window.List(), 1, MoneyListModel::kAmountColumn), "30.00");
  EXPECT_EQ(window.List().SelectedRow(), -1);
  EXPECT_EQ(session->GetProgram().savedRow, -1);
  EXPECT_EQ(window.View().BalanceText(), "Balance: -50.00");

  ChooseAccount(*session, "Cash");
  ASSERT_EQ(window.List().RowCount(), 2);
  EXPECT_EQ(window.View().BalanceText(), "Balance: 490.00");
}

TEST_F(CommandsTest, DeletedRecordsComeBackNewestFirstIntoTheirOwnAccounts) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  const ui::MenuBar& menu = session->Screen().Menu();
  {
    DialogDriver driver(session->Screen());
    messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
    driver.Then(DeleteTransaction());
    TapRow(window.List(), 0);  // Bank, 10.00
    ASSERT_EQ(window.List().RowCount(), 2);
    EXPECT_TRUE(menu.IsCommandEnabled(command::kUndoDeleting));
    EXPECT_TRUE(menu.IsCommandEnabled(command::kUndoDeletingButton));
    EXPECT_TRUE(menu.IsCommandEnabled(command::kEmptyUndo));

    ChooseAccount(*session, "Cash");
    messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
    driver.Then(DeleteTransaction());
    TapRow(window.List(), 0);  // Cash, 500.00
    EXPECT_EQ(window.List().RowCount(), 0);
    EXPECT_FALSE(menu.IsCommandEnabled(command::kTransactionsReport));
  }
  Program& program = session->GetProgram();
  ASSERT_EQ(program.undo.size(), 2u);

  // The newest deletion is Cash's: it comes back into the shown list, selected.
  session->Screen().Menu().Choose(command::kUndoDeletingButton);
  ASSERT_EQ(window.List().RowCount(), 1);
  EXPECT_EQ(window.List().SelectedRow(), 0);
  EXPECT_EQ(window.View().BalanceText(), "Balance: 500.00");
  EXPECT_TRUE(menu.IsCommandEnabled(command::kTransactionsReport));

  // Bank's goes back into the store only.
  window.RunCommand(command::kUndoDeleting);
  EXPECT_EQ(window.List().RowCount(), 1);
  EXPECT_TRUE(program.undo.empty());
  EXPECT_FALSE(menu.IsCommandEnabled(command::kUndoDeleting));
  EXPECT_FALSE(menu.IsCommandEnabled(command::kUndoDeletingButton));
  EXPECT_FALSE(menu.IsCommandEnabled(command::kEmptyUndo));

  ChooseAccount(*session, "Bank");
  ASSERT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(window.View().BalanceText(), "Balance: -60.00");
  Close(session);
  EXPECT_EQ(StoredCount(u"Vesko Quidbook"), 4u);
}

TEST_F(CommandsTest, ARestoredRecordIsAppendedWhateverTheOrder) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  TapHeader(window.List(), 0);
  TapHeader(window.List(), 0);  // descending: 30, 20, 10
  ASSERT_EQ(RowText(window.List(), 0, MoneyListModel::kAmountColumn), "30.00");
  messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  DialogDriver driver(session->Screen());
  driver.Then(DeleteTransaction());
  TapRow(window.List(), 0);
  window.RunCommand(command::kUndoDeleting);
  ASSERT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(RowText(window.List(), 2, MoneyListModel::kAmountColumn), "30.00");
  EXPECT_EQ(window.List().SelectedRow(), 2);
}

TEST_F(CommandsTest, TheThirteenthDeletionAsksBeforeTheOldestCopyGoes) {
  std::vector<SeedRecord> records;
  for (int i = 1; i <= 14; ++i) {
    records.push_back({0, Day(2026, 1, i), i * 100, kExpense, u"Food", u""});
  }
  Seed({u"Bank"}, {u"Food"}, records);
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  Program& program = session->GetProgram();
  DialogDriver driver(session->Screen());
  for (int i = 0; i < 12; ++i) {
    messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
    driver.Then(DeleteTransaction());
    TapRow(window.List(), 0);
  }
  ASSERT_EQ(program.undo.size(), 12u);
  ASSERT_EQ(window.List().RowCount(), 2);

  // No: the record and the dialog stay; the user cancels.
  messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  messages.Expect(std::u16string(kUndoFull), MessageAnswer::No);
  driver.Then([](FullScreenDialog& dialog) {
    Click(&dialog, kTransactionDelete);
    EXPECT_TRUE(dialog.IsRunning());
    Click(&dialog, kTransactionCancel);
  });
  TapRow(window.List(), 0);
  EXPECT_EQ(window.List().RowCount(), 2);
  EXPECT_EQ(program.undo.size(), 12u);
  EXPECT_EQ(program.undo[0].amount, 100);

  // Yes: the first deleted record is gone for good, the 13th is kept.
  messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  messages.Expect(std::u16string(kUndoFull), MessageAnswer::Yes);
  driver.Then(DeleteTransaction());
  TapRow(window.List(), 0);
  EXPECT_EQ(window.List().RowCount(), 1);
  ASSERT_EQ(program.undo.size(), 12u);
  EXPECT_EQ(program.undo[0].amount, 200);
  EXPECT_EQ(program.undo[11].amount, 1300);
}

TEST_F(CommandsTest, EmptyUndoTransactionsForgetsEveryCopy) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Program& program = session->GetProgram();
  EXPECT_TRUE(PushDeleted(program, program.money[0]));
  EXPECT_TRUE(session->Screen().Menu().IsCommandEnabled(command::kEmptyUndo));
  session->Screen().Menu().Choose(command::kEmptyUndo);
  EXPECT_TRUE(program.undo.empty());
  EXPECT_FALSE(session->Screen().Menu().IsCommandEnabled(command::kUndoDeleting));
  EXPECT_FALSE(session->Screen().Menu().IsCommandEnabled(command::kEmptyUndo));
  EXPECT_FALSE(session->Screen().Menu().Choose(command::kUndoDeleting));
  EXPECT_EQ(session->Window().List().RowCount(), 3) << "the store is not touched";
}

TEST_F(CommandsTest, FifteenAccountsAreTheLimit) {
  std::vector<std::u16string> names;
  for (char16_t c = u'A'; c < u'A' + 15; ++c) names.push_back(std::u16string(u"Account ") + c);
  Seed(names, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  DialogDriver driver(session->Screen());
  messages.Expect(std::u16string(kAccountLimit));
  session->Screen().Menu().Choose(command::kNewAccount);
  EXPECT_TRUE(driver.Opened().isEmpty());

  // The Accounts dialog's New checks it too, and the dialog comes back afterwards.
  messages.Expect(std::u16string(kAccountLimit));
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, 1140); });
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, 1141); });
  session->Screen().Menu().Choose(command::kAccounts);
  EXPECT_EQ(driver.Opened(), (QStringList{"Accounts", "Accounts"}));
  EXPECT_EQ(session->GetProgram().accounts.size(), 15u);
  ASSERT_EQ(messages.log.size(), 2u);
  EXPECT_EQ(messages.log[0].icon, MessageIcon::Exclamation);
}

TEST_F(CommandsTest, TheAccountsLoopReopensAfterNewAndShowsTheNewAccount) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, 1140); });
  driver.Then([](FullScreenDialog& dialog) {
    TypeText(&dialog, kNameField, "Savings");
    Click(&dialog, kAccountOk);
  });
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, 1141); });
  session->Window().RunCommand(command::kAccounts);
  EXPECT_EQ(driver.Opened(), (QStringList{"Accounts", "Account", "Accounts"}));
  EXPECT_EQ(session->GetProgram().currentAccount.Name(), u"Savings");
  EXPECT_EQ(session->Window().View().Chooser().Names(), (QStringList{"Bank", "Cash", "Savings"}));
  EXPECT_EQ(session->Window().View().Chooser().currentText(), "Savings");
  EXPECT_EQ(session->Window().List().RowCount(), 0);
  EXPECT_FALSE(session->Screen().Menu().IsCommandEnabled(command::kTransactionsReport));
}

TEST_F(CommandsTest, TheCategoriesLoopRunsUntilTheListDialogCloses) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  session->Window().List().SelectRow(2);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, 1032); });
  driver.Then([](FullScreenDialog& dialog) {
    TypeText(&dialog, 1064, "travel");
    Click(&dialog, 3);
  });
  driver.Then([](FullScreenDialog& dialog) { dialog.OnTitleOk(); });
  session->Screen().Menu().Choose(command::kEditCategoriesButton);
  EXPECT_EQ(driver.Opened(),
            (QStringList{"Edit Categories...", "New category", "Edit Categories..."}));
  EXPECT_NE(session->GetProgram().categories.FindByName(u"Travel"), nullptr);
  EXPECT_EQ(session->Window().List().SelectedRow(), 2);
}

TEST_F(CommandsTest, EveryToolsCommandOpensItsWindowAndLeavesTheRowsAsTheyWere) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  DialogDriver driver(session->Screen());
  const int commands[] = {command::kDeleteByRange,      command::kExportTransactions,
                          command::kViewOptions,        command::kAccountsBalance,
                          command::kTransactionsReport, command::kTransactionsReportButton};
  for (int tools : commands) {
    driver.Then([](FullScreenDialog& dialog) { dialog.End(FullScreenDialog::kDone); });
    session->Window().RunCommand(tools);
  }
  EXPECT_EQ(driver.Opened(),
            (QStringList{"Delete by Range", "Export File Options", "View Options",
                         "Accounts Balance", "Money Report", "Money Report"}));
  EXPECT_EQ(session->Window().List().RowCount(), 3);
}

TEST_F(CommandsTest, TheKeyboardGoesDownWhenADialogEndsAndComesBackWithNone) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  ui::InputPanel& panel = session->Screen().Panel();
  DialogDriver driver(session->Screen());

  driver.Then([&](FullScreenDialog& dialog) {
    EXPECT_TRUE(panel.IsRaised());
    EnterTransaction("4.50", "Food")(dialog);
  });
  session->Screen().Menu().Choose(command::kNewTransaction);
  EXPECT_FALSE(panel.IsRaised()) << "the keyboard covers the newest rows";
  EXPECT_EQ(QApplication::focusWidget(), &window.List());
  EXPECT_EQ(window.List().SelectedRow(), 3);

  // Back from the Account dialog inside Accounts: the list under it is active again.
  driver.Then([&](FullScreenDialog& accounts) {
    TapAccountsRow(accounts, 1);
    EXPECT_FALSE(panel.IsRaised());
    auto* list = ui::FindControl<dialogs::ReportList>(&accounts, kAccountsList);
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(list->SelectedRow(), 1);
    Click(&accounts, kAccountsBack);
  });
  driver.Then([&](FullScreenDialog& account) {
    EXPECT_TRUE(panel.IsRaised());
    Click(&account, kAccountBack);
  });
  window.RunCommand(command::kAccounts);
  EXPECT_EQ(driver.Opened().size(), 3);
  EXPECT_FALSE(panel.IsRaised());
  EXPECT_EQ(QApplication::focusWidget(), &window.List());
}

TEST_F(CommandsTest, ApplyingToRecordsAndThenNotStillLeavesTheRowsInViewOrder) {
  // Stored out of date order; the view sorts them ascending.
  Seed({u"Bank"}, {u"Food", u"Car"},
       {{0, Day(2026, 1, 20), 2000, kExpense, u"Food", u""},
        {0, Day(2026, 1, 10), 1000, kExpense, u"Food", u""},
        {0, Day(2026, 1, 30), 3000, kExpense, u"Food", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  TapHeader(window.List(), 0);
  ASSERT_EQ(RowText(window.List(), 0, MoneyListModel::kAmountColumn), "10.00");

  messages.Expect(u"Selected item will be permanently deleted. Continue?", MessageAnswer::Yes);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) {
    Click(&dialog, kApplyToRecords);
    auto* list = ui::FindControl<QListWidget>(&dialog, kCategoriesList);
    const QList<QListWidgetItem*> car = list->findItems("Car", Qt::MatchExactly);
    ASSERT_EQ(car.size(), 1);
    list->setCurrentItem(car.first());  // no record carries it
    Click(&dialog, kCategoriesDelete);
  });
  driver.Then([](FullScreenDialog& dialog) {
    Click(&dialog, kApplyToRecords);  // unchecked again before closing
    dialog.OnTitleOk();
  });
  window.RunCommand(command::kEditCategories);
  EXPECT_EQ(session->GetProgram().settings.catRecsApply, 0u);
  EXPECT_EQ(Column(window.List(), MoneyListModel::kAmountColumn),
            (QStringList{"10.00", "20.00", "30.00"}));
  EXPECT_EQ(window.List().HeaderImage(), kAscending);
}

TEST_F(CommandsTest, DeletingAnAccountForgetsItsRecordsInTheUndoList) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  Program& program = session->GetProgram();
  const ui::MenuBar& menu = session->Screen().Menu();
  DialogDriver driver(session->Screen());
  messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  driver.Then(DeleteTransaction());
  TapRow(window.List(), 0);  // Bank
  ChooseAccount(*session, "Cash");
  messages.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  driver.Then(DeleteTransaction());
  TapRow(window.List(), 0);  // Cash
  ASSERT_EQ(program.undo.size(), 2u);

  messages.Expect(u"Selected Account will be permanently deleted. Continue?", MessageAnswer::Yes);
  driver.Then([](FullScreenDialog& accounts) {
    TapAccountsRow(accounts, 0);  // Bank
    Click(&accounts, kAccountsBack);
  });
  driver.Then([](FullScreenDialog& account) { Click(&account, kAccountDelete); });
  window.RunCommand(command::kAccounts);
  ASSERT_EQ(program.accounts.size(), 1u);
  ASSERT_EQ(program.undo.size(), 1u);
  EXPECT_EQ(program.undo[0].Category(), u"Salary");

  window.RunCommand(command::kUndoDeleting);
  window.RunCommand(command::kUndoDeleting);  // nothing left: Bank's copy is gone
  EXPECT_FALSE(menu.IsCommandEnabled(command::kUndoDeleting));
  Close(session);
  // Cash's income is back; nothing was written for the deleted account.
  EXPECT_EQ(StoredCount(u"Vesko Quidbook"), 1u);
}

TEST_F(CommandsTest, HelpAndAboutKeepTheSelectedRowAndAboutHasNoTitle) {
  SeedTwoAccounts();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  Program& program = session->GetProgram();
  QStringList started;
  session->Screen().Help().SetProcessStarter(
      [&started](const QString&, const QStringList& arguments) { started << arguments; });

  window.List().SelectRow(1);
  window.View().Chooser().setFocus();
  QTest::keyClick(&window.View().Chooser(), Qt::Key_F1);
  EXPECT_EQ(started, QStringList{"file:equidorappc.htm#Navigating"});
  EXPECT_EQ(program.savedRow, 1);
  EXPECT_EQ(QApplication::focusWidget(), &window.List());
  EXPECT_EQ(window.List().SelectedRow(), 1);

  ui::InputPanel& panel = session->Screen().Panel();
  panel.Raise();
  DialogDriver driver(session->Screen());
  driver.Then([&](FullScreenDialog& about) {
    EXPECT_FALSE(panel.IsRaised());
    EXPECT_EQ(session->Screen().Navigation().Title(), "");
    EXPECT_EQ(session->Screen().Navigation().TitleButton()->text(), "Done");
    // The icon is 20 by 20 dialog units: 30 pixels wide in the handheld's dialog font.
    QLabel* icon = nullptr;
    for (QLabel* label : about.findChildren<QLabel*>()) {
      if (!label->pixmap().isNull()) icon = label;
    }
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width(), 30);
    EXPECT_LE(icon->pixmap().width(), icon->width());
    about.OnTitleOk();
  });
  window.List().ClearSelection();
  window.List().SelectRow(2);
  window.RunCommand(command::kAbout);
  EXPECT_EQ(window.List().SelectedRow(), 2);
}

}  // namespace
}  // namespace quidora::testing
