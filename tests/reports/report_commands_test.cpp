// The reports run from the main window: the menu commands and the toolbar button, and the
// account view as it comes back after the balance report filled the money list with every
// account's records.
#include <QDateEdit>
#include <QTest>

#include "core/sorts.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/navigation_bar.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell_fixture.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr int kBalanceStart = 1152;
constexpr int kBalanceEnd = 1154;
constexpr int kBalanceButton = 1155;
constexpr std::u16string_view kOverflow =
    u"Balance amount exceeds the largest amount possible in Quidora program. In order to finish "
    u"your task we advice you export all your Money records in a file via Tools\\Export Records... "
    u"menu item. This file can be processed by most spreadsheets \n(such as Microsoft Excel).";

class ReportCommandsTest : public ShellTest {};

std::vector<std::uint32_t> Dates(const Program& program) {
  std::vector<std::uint32_t> dates;
  for (const MoneyRecord& record : program.money) dates.push_back(record.DateNumber());
  return dates;
}

TEST_F(ReportCommandsTest, AfterAFailedBalanceTheShownAccountComesBackInItsViewOrder) {
  Seed({u"Bank", u"Big", u"Huge"}, {u"Food", u"Salary"},
       {{0, Day(2026, 1, 10), 1000, kExpense, u"Food", u""},
        {0, Day(2026, 1, 30), 3000, kExpense, u"Food", u""},
        {0, Day(2026, 1, 20), 2000, kExpense, u"Food", u""},
        {1, Day(2026, 1, 15), 1500000000, kIncome, u"Salary", u""},
        {2, Day(2026, 1, 15), 1500000000, kIncome, u"Salary", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Program& program = session->GetProgram();
  MainWindow& window = session->Window();
  ASSERT_EQ(program.currentAccount.Name(), u"Bank");
  program.sortOrder = kDescending;
  ASSERT_TRUE(window.ApplyStoredSort());
  window.FillMoneyListView();
  const std::vector<std::uint32_t> shown{20260130, 20260120, 20260110};
  ASSERT_EQ(Dates(program), shown);

  messages.Expect(std::u16string(kOverflow));
  messages.Expect(u"No transactions found in date range specified.");
  DialogDriver driver(session->Screen());
  driver.Then([&](FullScreenDialog& d) {
    EXPECT_EQ(d.Title(), "Accounts Balance");
    ui::FindControl<QDateEdit>(&d, kBalanceStart)->setDate(QDate(2026, 1, 1));
    ui::FindControl<QDateEdit>(&d, kBalanceEnd)->setDate(QDate(2026, 1, 31));
    Click(&d, kBalanceButton);
    EXPECT_EQ(Dates(program), shown) << "the sums leave the shown list as it is";
    QTest::mouseClick(session->Screen().Navigation().TitleButton(), Qt::LeftButton);
  });
  driver.Then([&](FullScreenDialog& d) {
    EXPECT_EQ(d.Title(), "Money Report");
    // The range accepted by the balance report is offered here too.
    EXPECT_EQ(ui::FindControl<QDateEdit>(&d, 1069)->date(), QDate(2026, 1, 1));
    EXPECT_EQ(program.money.size(), 3u);
    QTest::mouseClick(session->Screen().Navigation().TitleButton(), Qt::LeftButton);
  });
  session->Screen().Menu().Choose(command::kAccountsBalance);
  EXPECT_EQ(Dates(program), shown);
  EXPECT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(program.balance.amount, 6000);
  EXPECT_EQ(program.balance.type, kExpense);
  EXPECT_TRUE(session->Screen().Menu().IsCommandEnabled(command::kTransactionsReport));

  session->Screen().Menu().Choose(command::kTransactionsReportButton);
  EXPECT_EQ(driver.Opened(), (QStringList{"Accounts Balance", "Money Report"}));
  EXPECT_EQ(Dates(program), shown);
  Close(session);
}

}  // namespace
}  // namespace quidora::testing
