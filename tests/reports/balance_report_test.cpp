// The accounts balance report driven as a user drives it: every account's records counted, zero
// rows, signs, sorting, both overflow paths, rotation, and the shown account's list given back.
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

#include "dialog_fixture.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/navigation_bar.h"
#include "report_driving.h"
#include "reports/balance_report.h"
#include "reports/reports.h"

namespace quidora::testing {
namespace {

using reports::BalanceReport;
using ui::FullScreenDialog;

constexpr int kStartPicker = 1152;
constexpr int kEndPicker = 1154;
constexpr int kBalanceButton = 1155;
constexpr int kReset = 1156;
constexpr int kExport = 1157;
constexpr int kTotalLabel = 1158;
constexpr int kTotalText = 1159;

// The list (503) is made with the report and stands where the range group does not.
const Place kPlaces[] = {{1150, {6, 5, 225, 70}, {6, 5, 130, 106}},
                         {1151, {15, 25, 40, 18}, {15, 22, 40, 18}},
                         {1152, {62, 25, 95, 18}, {15, 40, 95, 18}},
                         {1153, {15, 50, 35, 18}, {15, 65, 35, 18}},
                         {1154, {62, 50, 95, 18}, {15, 83, 95, 18}},
                         {1155, {7, 85, 105, 25}, {7, 140, 105, 25}},
                         {1157, {7, 85, 105, 25}, {7, 140, 105, 25}},
                         {1156, {125, 85, 105, 25}, {125, 140, 105, 25}},
                         {1158, {10, 240, 90, 18}, {110, 115, 85, 18}},
                         {503, {7, 120, 223, 108}, {140, 5, 173, 105}},
                         {1159, {105, 238, 120, 18}, {193, 115, 120, 18}}};

const std::u16string kStartsAfterEnds = u"Starts date must be earlier than Ends date!";
const std::u16string kNothingFound = u"No transactions found in date range specified.";
const std::u16string kOverflow =
    u"Balance amount exceeds the largest amount possible in Quidora program. In order to finish "
    u"your task we advice you export all your Money records in a file via Tools\\Export Records... "
    u"menu item. This file can be processed by most spreadsheets \n(such as Microsoft Excel).";

struct ExportedBalances {
  std::uint32_t start;
  std::uint32_t end;
  QStringList accounts;  // "name balance"
  std::int64_t total;
};

class BalanceReportTest : public DialogTest {
 protected:
  BalanceReport& Report(FullScreenDialog& d) { return dynamic_cast<BalanceReport&>(d); }
  bool Shown(FullScreenDialog& d, int id) { return Control(d, id)->isVisible(); }
  void Done() { QTest::mouseClick(screen_.Navigation().TitleButton(), Qt::LeftButton); }
  void Range(FullScreenDialog& d, QDate start, QDate end) {
    PickDates(&d, kStartPicker, kEndPicker, start, end);
  }
  QString TotalText(FullScreenDialog& d) { return Control<QLabel>(d, kTotalText)->text(); }
  void ExpectEntry(FullScreenDialog& d) {
    EXPECT_FALSE(Report(d).IsShown());
    EXPECT_TRUE(Shown(d, kBalanceButton));
    EXPECT_EQ(d.DefaultButton(), Control(d, kBalanceButton));
    for (int id : {kReset, kExport, kTotalLabel, kTotalText}) EXPECT_FALSE(Shown(d, id)) << id;
    EXPECT_TRUE(Control(d, kStartPicker)->isEnabled());
    EXPECT_EQ(ui::FindControl(&d, 503), nullptr) << "the list is gone, not hidden";
  }
  std::vector<std::uint32_t> MoneyAccounts() const {
    std::vector<std::uint32_t> keys;
    for (const MoneyRecord& record : program_->money) keys.push_back(record.accountKey);
    return keys;
  }

  reports::BalanceReportExport Recorder() {
    return [this](const BalanceReportFile& file) {
      ExportedBalances balances{file.startDateNumber, file.endDateNumber, {}, file.total};
      for (const AccountRecord& account : file.accounts) {
        balances.accounts << QString::fromStdU16String(std::u16string(account.Name())) + " " +
                                 QString::number(account.balance);
      }
      exported.push_back(balances);
    };
  }
  std::vector<ExportedBalances> exported;
};

TEST_F(BalanceReportTest, EveryAccountWithZeroRowsSignsSortsRotationAndExport) {
  const std::uint32_t cash = AddAccount(u"Cash");
  const std::uint32_t bank = AddAccount(u"Bank");
  AddAccount(u"Empty");
  AddMoney(cash, u"Food", 1250, kExpense, Date(2005, 10, 29));
  AddMoney(bank, u"Salary", 100000, kIncome, Date(2005, 10, 30));
  ShowAccount(cash);
  program_->settings.sortABalance = 1;
  program_->settings.sortOrderABalance = 1;  // largest balance first

  screen_.Panel().Raise();
  driver_->Then([&](FullScreenDialog& d) {
    ExpectEntry(d);
    EXPECT_EQ(Focused(), Control(d, kStartPicker));
    EXPECT_FALSE(screen_.Panel().IsRaised());
    // Only Cash counts on the 29th: a negative total, the other accounts at zero.
    Range(d, QDate(2005, 10, 29), QDate(2005, 10, 29));
    Click(&d, kBalanceButton);
    ASSERT_TRUE(Report(d).IsShown());
    EXPECT_EQ(MoneyAccounts(), std::vector<std::uint32_t>{cash}) << "the shown list is kept";
    EXPECT_EQ(ReportRows(*Report(d).List()),
              (QStringList{"Empty 0.00 6", "Bank 0.00 6", "Cash 12.50 3"}));
    EXPECT_EQ(TotalText(d), "- 12.50");
    EXPECT_EQ(program_->totalBalance.type, kExpense);
    EXPECT_EQ(program_->totalBalance.amount, 1250);
    Click(&d, kReset);
    ExpectEntry(d);

    Range(d, QDate(2005, 10, 29), QDate(2005, 10, 30));
    Click(&d, kBalanceButton);
    dialogs::ReportList* list = Report(d).List();
    ASSERT_NE(list, nullptr);
    ExpectPlaces(d, kPlaces, false);
    EXPECT_EQ(ColumnWidths(*list), std::make_pair(110, 95));
    EXPECT_EQ(HeaderImages(*list), std::make_pair(2, 1));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Bank 1,000.00 4", "Empty 0.00 6", "Cash 12.50 3"}));
    EXPECT_EQ(TotalText(d), "987.50");
    EXPECT_EQ(Control<QLabel>(d, kTotalText)->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->accessibleName(), "Accounts");
    EXPECT_EQ(Control(d, kTotalText)->accessibleName(), "987.50") << "the value is read out";
    EXPECT_EQ(Control(d, kTotalText)->accessibleDescription(), "Total Balance");
    EXPECT_EQ(screen_.Navigation().TitleButton()->text(), "OK");
    screen_.Panel().Raise();
    emit screen_.ActivationChanged(false);
    EXPECT_FALSE(screen_.Panel().IsRaised()) << "lowered when the window loses the activation";
    EXPECT_FALSE(Shown(d, kBalanceButton));
    EXPECT_EQ(d.DefaultButton(), Control(d, kReset));
    EXPECT_FALSE(Control(d, kEndPicker)->isEnabled());

    // The account header takes the running order: by name, descending. A tap lowers the panel.
    screen_.Panel().Raise();
    TapReportHeader(*list, 0);
    EXPECT_FALSE(screen_.Panel().IsRaised());
    EXPECT_EQ(HeaderImages(*list), std::make_pair(1, 2));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Empty 0.00 6", "Cash 12.50 3", "Bank 1,000.00 4"}));

    UseScreen(320, 240);
    list = Report(d).List();
    ASSERT_NE(list, nullptr);
    ExpectPlaces(d, kPlaces, true);
    EXPECT_EQ(ColumnWidths(*list), std::make_pair(90, 105));
    EXPECT_EQ(HeaderImages(*list), std::make_pair(1, 2));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Empty 0.00 6", "Cash 12.50 3", "Bank 1,000.00 4"}));
    EXPECT_EQ(TotalText(d), "987.50");
    EXPECT_TRUE(Shown(d, kExport));
    EXPECT_FALSE(Shown(d, kBalanceButton));

    Click(&d, kExport);
    EXPECT_EQ(d.DefaultButton(), Control(d, kReset));
    Click(&d, kReset);
    EXPECT_EQ(program_->settings.sortABalance, 0u) << "Reset keeps the running order";
    EXPECT_EQ(program_->settings.sortOrderABalance, 1u);
    UseScreen(240, 320);
    ExpectEntry(d);

    // The next report starts from it; a tap, then OK, which keeps the new order.
    Click(&d, kBalanceButton);
    ASSERT_NE(list = Report(d).List(), nullptr);
    TapReportHeader(*list, 1);
    EXPECT_EQ(ReportRows(*list), (QStringList{"Bank 1,000.00 4", "Empty 0.00 6", "Cash 12.50 3"}));
    Done();
  });
  EXPECT_EQ(reports::RunBalanceReport(*program_, Recorder()), 1);
  EXPECT_TRUE(messages_.log.empty());
  EXPECT_EQ(program_->settings.sortABalance, 1u);
  EXPECT_EQ(program_->settings.sortOrderABalance, 1u);
  ASSERT_EQ(exported.size(), 1u);
  EXPECT_EQ(exported[0].start, 20051029u);
  EXPECT_EQ(exported[0].end, 20051030u);
  EXPECT_EQ(exported[0].accounts, (QStringList{"Empty 0", "Cash -1250", "Bank 100000"}));
  EXPECT_EQ(exported[0].total, 98750);
  EXPECT_EQ(MoneyAccounts(), std::vector<std::uint32_t>{cash}) << "the shown account's still";
}

TEST_F(BalanceReportTest, RefusedRangesLimitsAndTheLowestTotal) {
  const std::uint32_t cash = AddAccount(u"Cash");
  const std::uint32_t bank = AddAccount(u"Bank");
  const std::uint32_t save = AddAccount(u"Savings");
  // Without a single money record: nothing to sum, whatever the range. Opened wide, where the
  // labels stand above the pickers, which are named all the same.
  ShowAccount(cash);
  messages_.Expect(kStartsAfterEnds);
  messages_.Expect(kNothingFound);
  UseScreen(320, 240);
  driver_->Then([&](FullScreenDialog& d) {
    for (auto [id, name] : {std::pair{kStartPicker, "Starts"}, {kEndPicker, "Ends"}}) {
      EXPECT_EQ(Control(d, id)->accessibleName(), name);
    }
    Range(d, QDate(2005, 10, 30), QDate(2005, 10, 29));
    Click(&d, kBalanceButton);
    Range(d, QDate(2005, 10, 1), QDate(2005, 10, 31));
    Click(&d, kBalanceButton);
    ExpectEntry(d);
    Done();
  });
  EXPECT_EQ(reports::RunBalanceReport(*program_, Recorder()), 1);

  const SystemTime day = Date(2005, 10, 29);
  // Each account fits on the 29th; together they do not.
  AddMoney(cash, u"Salary", 1500000000, kIncome, day);
  AddMoney(bank, u"Salary", 1500000000, kIncome, day);
  // Savings alone passes the limit on the 30th.
  AddMoney(save, u"Salary", 2000000000, kIncome, Date(2005, 10, 30));
  AddMoney(save, u"Salary", 2000000000, kIncome, Date(2005, 10, 30));
  // On the 31st the total is the lowest there is, which still has its texts; then the highest.
  AddMoney(cash, u"Rent", 2147483647, kExpense, Date(2005, 10, 31));
  AddMoney(bank, u"Rent", 1, kExpense, Date(2005, 10, 31));
  AddMoney(bank, u"Gift", 2147483647, kIncome, Date(2005, 11, 1));
  // On 2 November the balances cancel out: a zero total counts as income.
  AddMoney(cash, u"Gift", 5, kIncome, Date(2005, 11, 2));
  AddMoney(bank, u"Gift", 5, kExpense, Date(2005, 11, 2));
  ShowAccount(cash);
  for (int i = 0; i < 2; ++i) {
    messages_.Expect(kOverflow);
    messages_.Expect(kNothingFound);
  }

  driver_->Then([&](FullScreenDialog& d) {
    Range(d, QDate(2005, 10, 29), QDate(2005, 10, 29));
    Click(&d, kBalanceButton);
    EXPECT_EQ(messages_.log.size(), 4u);
    ExpectEntry(d);
    Range(d, QDate(2005, 10, 30), QDate(2005, 10, 30));
    Click(&d, kBalanceButton);
    EXPECT_EQ(messages_.log.size(), 6u);
    ExpectEntry(d);

    Range(d, QDate(2005, 11, 1), QDate(2005, 11, 1));
    Click(&d, kBalanceButton);
    EXPECT_EQ(TotalText(d), "21,474,836.47");
    Click(&d, kReset);
    Range(d, QDate(2005, 11, 2), QDate(2005, 11, 2));
    Click(&d, kBalanceButton);
    EXPECT_EQ(TotalText(d), "0.00");
    EXPECT_EQ(program_->totalBalance.type, kIncome);
    Click(&d, kReset);
    Range(d, QDate(2005, 10, 31), QDate(2005, 10, 31));
    Click(&d, kBalanceButton);
    ASSERT_TRUE(Report(d).IsShown());
    EXPECT_EQ(TotalText(d), "- 21,474,836.48");
    EXPECT_EQ(program_->totalBalance.amount, 2147483647) << "the field's largest magnitude";
    EXPECT_EQ(program_->totalBalance.AmountText(0).view(), u"21,474,836.48");
    Done();
  });
  EXPECT_EQ(reports::RunBalanceReport(*program_, Recorder()), 1);
  for (const ShownMessage& shown : messages_.log) EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
  EXPECT_EQ(MoneyAccounts(), (std::vector<std::uint32_t>{cash, cash, cash}));
}

}  // namespace
}  // namespace quidora::testing
