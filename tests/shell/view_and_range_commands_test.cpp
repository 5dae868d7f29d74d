// View Options and Delete by Range from the Tools menu: what the main window shows afterwards.
#include "core/money_record.h"
#include "dialogs/dialogs.h"
#include "platform/ui/menu_bar.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_model.h"
#include "program/program.h"
#include "shell_driving.h"
#include "shell_fixture.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr int kDateList = 1120;
constexpr int kGroupingList = 1125;
constexpr int kViewOk = 1129;
constexpr int kFindRecords = 1042;
constexpr int kAmountField = 1017;
constexpr int kCategoryList = 1022;
constexpr int kTransactionOk = 1028;

QStringList Column(MoneyListView& list, int column) {
  QStringList texts;
  for (int row = 0; row < list.RowCount(); ++row) {
    texts << list.model()->index(row, column).data().toString();
  }
  return texts;
}

using ViewAndRangeTest = ShellTest;

TEST_F(ViewAndRangeTest, DotGroupingReshowsRowsAndBalanceAndReadsTypedCommas) {
  Seed({u"Bank"}, {u"Food"},
       {{0, Day(2026, 1, 10), 100087, kExpense, u"Food", u""},
        {0, Day(2026, 1, 20), 2000, kExpense, u"Food", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  window.List().SelectRow(1);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) {
    ChooseEntry(&dialog, kGroupingList, " . (dot)");
    ChooseEntry(&dialog, kDateList, "mm / dd / yyyy");
    Click(&dialog, kViewOk);
  });
  window.RunCommand(command::kViewOptions);
  EXPECT_EQ(Column(window.List(), MoneyListModel::kAmountColumn),
            (QStringList{"1.000,87", "20,00"}));
  EXPECT_EQ(Column(window.List(), MoneyListModel::kDateColumn), (QStringList{"01/10/26", "01/20/26"}));
  EXPECT_EQ(window.View().BalanceText(), "Balance: -1.020,87");
  EXPECT_EQ(window.List().SelectedRow(), 1) << "the saved row is selected again";
  EXPECT_FALSE(messages.waitCursor);

  // "1,5" is one and a half now.
  driver.Then([](FullScreenDialog& dialog) {
    TypeText(&dialog, kAmountField, "1,5");
    ChooseEntry(&dialog, kCategoryList, "Food");
    Click(&dialog, kTransactionOk);
  });
  window.RunCommand(command::kNewTransaction);
  ASSERT_EQ(session->GetProgram().money.size(), 3u);
  EXPECT_EQ(session->GetProgram().money[2].amount, 150);
  EXPECT_EQ(Column(window.List(), MoneyListModel::kAmountColumn).last(), "1,50");
  EXPECT_EQ(window.View().BalanceText(), "Balance: -1.022,37");
}

TEST_F(ViewAndRangeTest, DeleteByRangeRefillsInViewOrderAndGreysTheCommandsWhenNothingIsLeft) {
  Seed({u"Bank", u"Cash"}, {u"Food", u"Salary"},
       {{0, Day(2026, 1, 20), 2000, kExpense, u"Food", u""},
        {0, Day(2026, 1, 10), 1000, kExpense, u"Food", u""},
        {0, Day(2026, 1, 30), 3000, kExpense, u"Food", u""},
        {1, Day(2026, 1, 20), 50000, kIncome, u"Salary", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MainWindow& window = session->Window();
  Program& program = session->GetProgram();
  const ui::MenuBar& menu = session->Screen().Menu();
  TapHeader(window.List(), 0);
  TapHeader(window.List(), 0);  // newest first
  ASSERT_EQ(Column(window.List(), MoneyListModel::kAmountColumn),
            (QStringList{"30.00", "20.00", "10.00"}));
  window.List().SelectRow(1);

  program.rangeStartDate = Day(2026, 1, 15);
  program.rangeEndDate = Day(2026, 1, 25);
  messages.Expect(u"1 records will be deleted. Continue?", MessageAnswer::Yes);
  DialogDriver driver(session->Screen());
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, kFindRecords); });
  window.RunCommand(command::kDeleteByRange);
  EXPECT_EQ(Column(window.List(), MoneyListModel::kAmountColumn),
            (QStringList{"30.00", "10.00"}));
  EXPECT_EQ(window.View().BalanceText(), "Balance: -40.00");
  EXPECT_EQ(window.List().SelectedRow(), 1);
  EXPECT_TRUE(program.undo.empty());
  EXPECT_FALSE(menu.IsCommandEnabled(command::kUndoDeleting));
  EXPECT_TRUE(menu.IsCommandEnabled(command::kDeleteByRange));

  program.rangeStartDate = Day(2026, 1, 1);
  program.rangeEndDate = Day(2026, 1, 31);
  messages.Expect(u"2 records will be deleted. Continue?", MessageAnswer::Yes);
  driver.Then([](FullScreenDialog& dialog) { Click(&dialog, kFindRecords); });
  window.RunCommand(command::kDeleteByRange);
  EXPECT_EQ(window.List().RowCount(), 0);
  EXPECT_EQ(window.View().BalanceText(), "Balance: 0.00");
  for (int command : {command::kDeleteByRange, command::kTransactionsReport,
                      command::kTransactionsReportButton, command::kExportTransactions}) {
    EXPECT_FALSE(menu.IsCommandEnabled(command)) << command;
  }
  Close(session);
  EXPECT_EQ(StoredCount(u"Vesko Quidbook"), 1u) << "Cash's income of the same dates stays";
}

}  // namespace
}  // namespace quidora::testing
