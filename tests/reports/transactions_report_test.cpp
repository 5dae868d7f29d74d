// The transactions report driven as a user drives it: ranges, both views, sorting, overflow,
// rotation and what "Export..." hands on.
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <map>

#include "dialog_fixture.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/navigation_bar.h"
#include "report_driving.h"
#include "reports/reports.h"
#include "reports/transactions_report.h"

namespace quidora::testing {
namespace {

using reports::TransactionsReport;
using ui::FullScreenDialog;

constexpr int kStartPicker = 1069;
constexpr int kEndPicker = 1071;
constexpr int kSpecified = 1073;
constexpr int kTotal = 1074;
constexpr int kViewReport = 1075;
constexpr int kExport = 1076;
constexpr int kReset = 1077;
constexpr int kBalanceGroup = 1078;
constexpr int kTotalText = 1080;

// The list (501) is made with the per-category view.
const Place kPlaces[] = {
    {1067, {6, 5, 226, 70}, {6, 5, 157, 70}},       {1068, {12, 25, 40, 16}, {12, 25, 40, 16}},
    {1069, {59, 25, 95, 18}, {59, 25, 95, 18}},     {1070, {12, 50, 35, 16}, {12, 50, 35, 16}},
    {1071, {59, 50, 95, 18}, {59, 50, 95, 18}},     {1072, {6, 79, 226, 45}, {6, 79, 157, 45}},
    {1073, {40, 97, 80, 18}, {20, 97, 75, 18}},     {1074, {145, 97, 65, 18}, {105, 97, 55, 18}},
    {1075, {7, 132, 90, 21}, {7, 132, 85, 21}},     {1076, {7, 132, 90, 21}, {7, 132, 85, 21}},
    {1077, {140, 133, 90, 21}, {100, 133, 85, 21}}, {1078, {6, 165, 226, 45}, {194, 5, 120, 80}},
    {1079, {40, 185, 50, 16}, {208, 28, 100, 16}},  {1080, {105, 183, 110, 18}, {211, 50, 80, 18}},
    {501, {7, 160, 223, 92}, {164, 13, 150, 110}}};

const std::u16string kStartsAfterEnds = u"Starts date must be earlier than Ends date!";
const std::u16string kNothingFound = u"No transactions found in date range specified.";
const std::u16string kOverflow =
    u"Balance amount exceeds the largest amount possible in Quidora program. In order to finish "
    u"your task we advice you export all your Money records in a file via Tools\\Export Records... "
    u"menu item. This file can be processed by most spreadsheets \n(such as Microsoft Excel).";

class TransactionsReportTest : public DialogTest {
 protected:
  TransactionsReport& Report(FullScreenDialog& d) { return dynamic_cast<TransactionsReport&>(d); }
  bool Shown(FullScreenDialog& d, int id) { return Control(d, id)->isVisible(); }
  void Done() { QTest::mouseClick(screen_.Navigation().TitleButton(), Qt::LeftButton); }
  void Range(FullScreenDialog& d, QDate start, QDate end) {
    PickDates(&d, kStartPicker, kEndPicker, start, end);
  }
  // The entry state: only the range, the view choice and "View report", which is the default.
  void ExpectEntry(FullScreenDialog& d) {
    EXPECT_EQ(Report(d).CurrentState(), TransactionsReport::State::Entry);
    EXPECT_FALSE(Shown(d, kReset));
    EXPECT_FALSE(Shown(d, kExport));
    EXPECT_FALSE(Shown(d, kTotalText));
    EXPECT_FALSE(Shown(d, kBalanceGroup));
    EXPECT_TRUE(Control(d, kStartPicker)->isEnabled());
    EXPECT_TRUE(Control(d, kTotal)->isEnabled());
    EXPECT_EQ(d.DefaultButton(), Control(d, kViewReport));
    EXPECT_TRUE(Control(d, kViewReport)->isEnabled());
    EXPECT_EQ(Report(d).List(), nullptr);
    EXPECT_EQ(ui::FindControl(&d, 501), nullptr) << "the list is gone, not hidden";
  }
};

TEST_F(TransactionsReportTest, OneDayOfTheShownAccountByCategorySortedRotatedAndExported) {
  const std::uint32_t cash = AddAccount(u"Cash");
  const std::uint32_t bank = AddAccount(u"Bank");
  for (auto name : {u"Food", u"Rent", u"Salary", u"Swap"}) AddCategory(name);
  const SystemTime day = Date(2005, 10, 29);
  AddMoney(cash, u"Food", 1250, kExpense, day);
  AddMoney(cash, u"Salary", 100000, kIncome, day);
  AddMoney(cash, u"Swap", 700, kIncome, day);  // cancels out: no row
  AddMoney(cash, u"Swap", 700, kExpense, day);
  AddMoney(cash, u"Rent", 50000, kExpense, Date(2005, 10, 30));  // the day after
  AddMoney(bank, u"Food", 99999, kIncome, day);                  // another account
  ShowAccount(cash);
  program_->rangeStartDate = day;
  program_->rangeEndDate = day;
  program_->settings.sortRapport = 1;
  program_->settings.sortOrderRapport = 2;  // no order chosen yet: by name, ascending

  std::vector<std::map<std::u16string, std::int32_t>> exported;
  std::vector<std::vector<std::u16string>> exportedOrder;
  const reports::CategoryReportExport exportReport = [&](const CategoryReportFile& file) {
    std::map<std::u16string, std::int32_t> totals;
    std::vector<std::u16string> order;
    for (const CategoryRecord& category : file.categories) {
      totals[std::u16string(category.Name())] = category.total;
      order.emplace_back(category.Name());
    }
    exported.push_back(totals);
    exportedOrder.push_back(order);
  };

  screen_.Panel().Raise();
  driver_->Then([&](FullScreenDialog& d) {
    ExpectEntry(d);
    EXPECT_EQ(Control<QDateEdit>(d, kStartPicker)->date(), QDate(2005, 10, 29));
    EXPECT_EQ(Focused(), Control(d, kStartPicker));
    EXPECT_FALSE(screen_.Panel().IsRaised());
    Click(&d, kViewReport);

    dialogs::ReportList* list = Report(d).List();
    ASSERT_NE(list, nullptr);
    ExpectPlaces(d, kPlaces, false);
    EXPECT_EQ(ColumnWidths(*list), std::make_pair(110, 95));
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->accessibleName(), "Categories");
    EXPECT_EQ(ReportRows(*list), (QStringList{"Food 12.50 3", "Salary 1,000.00 4"}));
    EXPECT_EQ(HeaderImages(*list), std::make_pair(0, 2));
    EXPECT_FALSE(Shown(d, kViewReport));
    EXPECT_TRUE(Shown(d, kReset));
    EXPECT_TRUE(Shown(d, kExport));
    EXPECT_EQ(d.DefaultButton(), Control(d, kReset));
    EXPECT_FALSE(Control(d, kStartPicker)->isEnabled());
    EXPECT_FALSE(Control(d, kSpecified)->isEnabled());

    screen_.Panel().Raise();
    TapReportHeader(*list, 0);
    EXPECT_FALSE(screen_.Panel().IsRaised()) << "a tap lowers the panel";
    EXPECT_EQ(HeaderImages(*list), std::make_pair(1, 2));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Salary 1,000.00 4", "Food 12.50 3"}));
    TapReportHeader(*list, 1);  // the other column keeps the order and takes the arrow
    EXPECT_EQ(HeaderImages(*list), std::make_pair(2, 1));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Salary 1,000.00 4", "Food 12.50 3"}));
    TapReportHeader(*list, 1);
    EXPECT_EQ(HeaderImages(*list), std::make_pair(2, 0));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Food 12.50 3", "Salary 1,000.00 4"}));

    UseScreen(320, 240);
    list = Report(d).List();
    ASSERT_NE(list, nullptr);
    ExpectPlaces(d, kPlaces, true);
    EXPECT_EQ(ColumnWidths(*list), std::make_pair(78, 85));
    EXPECT_EQ(HeaderImages(*list), std::make_pair(2, 0));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Food 12.50 3", "Salary 1,000.00 4"}));
    EXPECT_FALSE(Shown(d, kViewReport));
    EXPECT_TRUE(Shown(d, kReset));
    EXPECT_TRUE(Shown(d, kExport));

    Click(&d, kExport);
    EXPECT_EQ(d.DefaultButton(), Control(d, kReset));
    // A tap after the rotation's save-back: only OK can keep it.
    TapReportHeader(*list, 1);
    Done();
  });
  EXPECT_EQ(reports::RunTransactionsReport(*program_, exportReport), 1);
  EXPECT_TRUE(messages_.log.empty());
  EXPECT_EQ(program_->settings.sortRapport, 1u);
  EXPECT_EQ(program_->settings.sortOrderRapport, 1u);

  // Every category goes out, the cancelled and the empty ones with 0, in the list's order.
  ASSERT_EQ(exported.size(), 1u);
  EXPECT_EQ(exported[0], (std::map<std::u16string, std::int32_t>{
                             {u"Food", -1250}, {u"Rent", 0}, {u"Salary", 100000}, {u"Swap", 0}}));
  ASSERT_EQ(exportedOrder[0].size(), 4u);
  EXPECT_EQ(exportedOrder[0].front(), u"Food");
  EXPECT_EQ(exportedOrder[0].back(), u"Salary");
}

TEST_F(TransactionsReportTest, TotalsOfEmptyAndNegativeRangesAndRefusedRanges) {
  const std::uint32_t cash = AddAccount(u"Cash");
  AddCategory(u"Food");
  AddCategory(u"Rent");
  AddMoney(cash, u"Food", 1250, kExpense, Date(2005, 10, 29));
  AddMoney(cash, u"Rent", 50000, kExpense, Date(2005, 10, 30));
  AddMoney(cash, u"Food", 900000, kIncome, Date(2005, 10, 31));
  AddMoney(cash, u"Gone", 300, kIncome, Date(2005, 10, 30));  // its category was deleted
  ShowAccount(cash);
  program_->settings.moneyTypeView = 1;
  messages_.Expect(kStartsAfterEnds);
  messages_.Expect(kNothingFound);

  driver_->Then([&](FullScreenDialog& d) {
    Range(d, QDate(2005, 10, 31), QDate(2005, 10, 30));
    Click(&d, kViewReport);
    EXPECT_EQ(messages_.log.size(), 1u);
    EXPECT_EQ(Focused(), Control(d, kStartPicker));
    ExpectEntry(d);

    // A range without records: the total view says 0, the per-category view says nothing found.
    Range(d, QDate(2005, 11, 1), QDate(2005, 11, 2));
    screen_.Panel().Raise();
    Click(&d, kTotal);
    EXPECT_FALSE(screen_.Panel().IsRaised()) << "a choice of view lowers the panel";
    Click(&d, kViewReport);
    EXPECT_EQ(Report(d).CurrentState(), TransactionsReport::State::TotalShown);
    EXPECT_EQ(Control<QLabel>(d, kTotalText)->text(), "0,00");
    EXPECT_TRUE(Shown(d, kBalanceGroup));
    EXPECT_TRUE(Shown(d, kViewReport));
    EXPECT_FALSE(Control(d, kViewReport)->isEnabled());
    EXPECT_EQ(d.DefaultButton(), Control(d, kReset));
    EXPECT_EQ(messages_.log.size(), 1u);
    Click(&d, kReset);
    ExpectEntry(d);
    Click(&d, kSpecified);
    Click(&d, kViewReport);
    EXPECT_EQ(messages_.log.size(), 2u);
    EXPECT_EQ(Focused(), Control(d, kStartPicker));
    ExpectEntry(d);

    Range(d, QDate(2005, 10, 29), QDate(2005, 10, 30));
    Click(&d, kTotal);
    Click(&d, kViewReport);
    EXPECT_EQ(Control<QLabel>(d, kTotalText)->text(), "- 509,50");
    EXPECT_EQ(Control<QLabel>(d, kTotalText)->alignment(), Qt::AlignCenter);
    EXPECT_EQ(Control(d, kTotalText)->accessibleName(), "- 509,50") << "the value is read out";
    EXPECT_EQ(Control(d, kTotalText)->accessibleDescription(), "Total");
    EXPECT_EQ(screen_.Navigation().TitleButton()->text(), "OK");
    // The panel goes down whenever the activation changes, also when the window loses it.
    screen_.Panel().Raise();
    emit screen_.ActivationChanged(false);
    EXPECT_FALSE(screen_.Panel().IsRaised());
    UseScreen(320, 240);
    EXPECT_EQ(Control<QLabel>(d, kTotalText)->text(), "- 509,50");
    EXPECT_TRUE(Shown(d, kTotalText));
    EXPECT_TRUE(Shown(d, kReset));
    EXPECT_FALSE(Shown(d, kExport));
    Click(&d, kReset);
    UseScreen(240, 320);
    ExpectEntry(d);
    Done();
  });
  EXPECT_EQ(reports::RunTransactionsReport(*program_, {}), 1);
  // The last accepted range is offered by the next report of the run.
  EXPECT_EQ(DateNumberOf(program_->rangeStartDate).value_or(0), 20051029u);
  EXPECT_EQ(DateNumberOf(program_->rangeEndDate).value_or(0), 20051030u);
}

TEST_F(TransactionsReportTest, OverflowingSumsAndTheAmountHeaderWithoutAnOrder) {
  const std::uint32_t cash = AddAccount(u"Cash");
  for (auto name : {u"Big", u"Food", u"Salary", u"Zoo"}) AddCategory(name);
  const SystemTime day = Date(2005, 10, 29);
  AddMoney(cash, u"Big", 2000000000, kIncome, day);
  AddMoney(cash, u"Big", 2000000000, kIncome, day);
  const SystemTime next = Date(2005, 10, 30);
  AddMoney(cash, u"Food", 1, kIncome, next);  // the smallest income has its image
  AddMoney(cash, u"Salary", 100000, kIncome, next);
  AddMoney(cash, u"Zoo", 300, kExpense, next);
  // The lowest total there is on the 31st; one cent past it on 1 November.
  AddMoney(cash, u"Big", 2147483647, kExpense, Date(2005, 10, 31));
  AddMoney(cash, u"Big", 1, kExpense, Date(2005, 10, 31));
  AddMoney(cash, u"Big", 2147483647, kExpense, Date(2005, 11, 1));
  AddMoney(cash, u"Big", 2, kExpense, Date(2005, 11, 1));
  ShowAccount(cash);
  program_->settings.sortRapport = 0;
  program_->settings.sortOrderRapport = 2;
  messages_.Expect(kOverflow);
  messages_.Expect(kNothingFound);
  messages_.Expect(kOverflow);
  messages_.Expect(kOverflow);

  driver_->Then([&](FullScreenDialog& d) {
    Range(d, QDate(2005, 10, 29), QDate(2005, 10, 30));
    Click(&d, kViewReport);  // per category: the overflow, then nothing found
    EXPECT_EQ(messages_.log.size(), 2u);
    ExpectEntry(d);
    Range(d, QDate(2005, 10, 29), QDate(2005, 10, 29));  // the last record passes the limit
    Click(&d, kTotal);
    Click(&d, kViewReport);  // total: the overflow, then back to the entry state
    EXPECT_EQ(messages_.log.size(), 3u);
    ExpectEntry(d);
    Range(d, QDate(2005, 10, 31), QDate(2005, 10, 31));
    Click(&d, kViewReport);
    EXPECT_EQ(Control<QLabel>(d, kTotalText)->text(), "- 21,474,836.48");
    Click(&d, kReset);
    Range(d, QDate(2005, 11, 1), QDate(2005, 11, 1));  // below the lowest: the other limit
    Click(&d, kViewReport);
    EXPECT_EQ(messages_.log.size(), 4u);
    ExpectEntry(d);

    Range(d, QDate(2005, 10, 30), QDate(2005, 10, 30));
    Click(&d, kSpecified);
    Click(&d, kViewReport);
    dialogs::ReportList* list = Report(d).List();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(HeaderImages(*list), std::make_pair(0, 2));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Food 0.01 4", "Salary 1,000.00 4", "Zoo 3.00 3"}));
    // The amount header takes the stored "no order" as its image: no arrow, ascending totals.
    TapReportHeader(*list, 1);
    EXPECT_EQ(HeaderImages(*list), std::make_pair(2, 2));
    EXPECT_EQ(ReportRows(*list), (QStringList{"Zoo 3.00 3", "Food 0.01 4", "Salary 1,000.00 4"}));
    Click(&d, kReset);
    EXPECT_EQ(program_->settings.sortRapport, 1u);
    EXPECT_EQ(program_->settings.sortOrderRapport, 2u);
    UseScreen(320, 240);
    ExpectEntry(d);
    Done();
  });
  EXPECT_EQ(reports::RunTransactionsReport(*program_, {}), 1);
  for (const ShownMessage& shown : messages_.log) EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
}

}  // namespace
}  // namespace quidora::testing
