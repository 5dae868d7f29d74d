// The account view and its money list view: the Date header's order cycle, both layouts and the
// rotation between them, the balance line, the chooser, and the model's rows.
#include <QAccessible>
#include <QApplication>
#include <QFontInfo>

#include "core/record_list.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "shell/account_view.h"
#include "shell/main_window.h"
#include "shell/money_list_model.h"
#include "program/program.h"
#include "shell/text_font.h"
#include "shell_driving.h"
#include "shell_fixture.h"
#include "store/loading.h"
#include "store/settings.h"

namespace quidora::testing {
namespace {

QStringList Column(MoneyListView& list, int column) {
  QStringList texts;
  for (int row = 0; row < list.RowCount(); ++row) {
    texts << list.model()->index(row, column).data().toString();
  }
  return texts;
}

class AccountViewTest : public ShellTest {
 protected:
  // Stored out of date order: the view shows them sorted.
  void SeedDates() {
    Seed({u"Bank"}, {u"Food"},
         {{0, Day(2026, 2, 5), 200, kExpense, u"Food", u""},
          {0, Day(2026, 1, 5), 100, kExpense, u"Food", u""},
          {0, Day(2026, 3, 5), 300, kIncome, u"Food", u""}});
  }
};

TEST_F(AccountViewTest, TheDateHeaderCyclesThroughAscendingAndDescending) {
  SeedDates();
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Program& program = session->GetProgram();
  MoneyListView& list = session->Window().List();

  // No order chosen yet: ascending without an arrow.
  EXPECT_EQ(list.HeaderImage(), 2u);
  EXPECT_EQ(Column(list, 0), (QStringList{"05-01-26", "05-02-26", "05-03-26"}));

  TapHeader(list, 0);
  EXPECT_EQ(list.HeaderImage(), 0u);
  EXPECT_EQ(program.sortOrder, 0u);
  EXPECT_TRUE(program.sortedThisRun);
  EXPECT_EQ(Column(list, 0), (QStringList{"05-01-26", "05-02-26", "05-03-26"}));

  TapHeader(list, 0);
  EXPECT_EQ(list.HeaderImage(), 1u);
  EXPECT_EQ(program.sortOrder, 1u);
  EXPECT_EQ(Column(list, 0), (QStringList{"05-03-26", "05-02-26", "05-01-26"}));
  // Row i is still the record at position i.
  EXPECT_EQ(program.money[0].DateNumber(), 20260305u);

  TapHeader(list, 0);
  EXPECT_EQ(list.HeaderImage(), 0u);
  EXPECT_EQ(Column(list, 0), (QStringList{"05-01-26", "05-02-26", "05-03-26"}));
  TapHeader(list, 0);

  // The other headers only lower the input panel.
  session->Screen().Panel().Raise();
  TapHeader(list, 1);
  TapHeader(list, 2);
  EXPECT_FALSE(session->Screen().Panel().IsRaised());
  EXPECT_EQ(list.HeaderImage(), 1u);
  EXPECT_EQ(program.sortOrder, 1u);

  // The order survives a restart.
  Close(session);
  EXPECT_NE(RegistryText().find("\"SortOrder\"=dword:00000001"), std::string::npos);
  session = Start();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->Window().List().HeaderImage(), 1u);
  EXPECT_TRUE(session->GetProgram().sortedThisRun);
  EXPECT_EQ(Column(session->Window().List(), 0), (QStringList{"05-03-26", "05-02-26", "05-01-26"}));
}

TEST_F(AccountViewTest, TappingTheDateHeaderOfAnEmptyListOnlyChangesTheOrder) {
  Seed({u"Bank"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  TapHeader(session->Window().List(), 0);
  EXPECT_EQ(session->Window().List().HeaderImage(), 0u);
  EXPECT_EQ(session->GetProgram().sortOrder, 0u);
  EXPECT_FALSE(session->GetProgram().sortedThisRun);
  EXPECT_EQ(session->Window().List().RowCount(), 0);
}

TEST_F(AccountViewTest, AscendingListsOpenAtTheNewestDateDescendingOnesAtTheTop) {
  std::vector<SeedRecord> records;
  for (int i = 0; i < 60; ++i) {
    records.push_back({0, Day(2025, 1 + i % 12, 1 + i % 28), 100 + i, kExpense, u"Food", u""});
  }
  Seed({u"Bank"}, {u"Food"}, records);
  auto session = Start();
  ASSERT_NE(session, nullptr);
  MoneyListView& list = session->Window().List();
  ASSERT_EQ(list.RowCount(), 60);
  EXPECT_TRUE(list.IsRowVisible(59));
  EXPECT_FALSE(list.IsRowVisible(0));

  TapHeader(list, 0);
  TapHeader(list, 0);
  EXPECT_TRUE(list.IsRowVisible(0));
  EXPECT_FALSE(list.IsRowVisible(59));
}

TEST_F(AccountViewTest, EachLayoutHasItsColumnWidthsAndRotationKeepsTheOrder) {
  SeedDates();
  auto session = Start({320, 240});
  ASSERT_NE(session, nullptr);
  MoneyListView& list = session->Window().List();
  EXPECT_TRUE(session->GetProgram().IsWideLayout());
  EXPECT_EQ(list.ColumnWidth(0), 85);
  EXPECT_EQ(list.ColumnWidth(1), 105);
  EXPECT_EQ(list.ColumnWidth(2), 105);
  EXPECT_EQ(list.geometry(), QRect(4, 47, 320 - 9, session->Window().View().height() - 79));

  TapHeader(list, 0);
  TapHeader(list, 0);
  ASSERT_EQ(Column(list, 0), (QStringList{"05-03-26", "05-02-26", "05-01-26"}));

  session->Screen().SetScreenSize({240, 320});
  QCoreApplication::processEvents();
  EXPECT_FALSE(session->GetProgram().IsWideLayout());
  EXPECT_EQ(list.ColumnWidth(0), 75);
  EXPECT_EQ(list.ColumnWidth(1), 85);
  EXPECT_EQ(list.ColumnWidth(2), 90);
  EXPECT_EQ(list.HeaderImage(), 1u);
  EXPECT_EQ(Column(list, 0), (QStringList{"05-03-26", "05-02-26", "05-01-26"}));
  EXPECT_EQ(list.geometry().width(), 240 - 9);
  EXPECT_EQ(session->Window().View().BalanceText(), "Balance: 0.00");
}

TEST_F(AccountViewTest, ARotationWhileEveryAccountsRecordsAreLoadedShowsOnlyTheShownAccount) {
  Seed({u"Bank", u"Cash"}, {u"Food"},
       {{0, Day(2026, 1, 5), 100, kExpense, u"Food", u""},
        {1, Day(2026, 1, 6), 999, kIncome, u"Food", u""},
        {0, Day(2026, 1, 7), 300, kExpense, u"Food", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Program& program = session->GetProgram();
  MoneyListView& list = session->Window().List();
  // What the accounts balance report does while it is shown.
  ASSERT_TRUE(LoadAllMoneyRecords(session->Store(), program.money, messages));
  ASSERT_EQ(program.money.size(), 3u);
  session->Screen().SetScreenSize({320, 240});
  QCoreApplication::processEvents();
  EXPECT_EQ(Column(list, 2), (QStringList{"1.00", "3.00"}));
  EXPECT_EQ(list.Model().Position(1), 2u);
}

TEST_F(AccountViewTest, FramesCoverTheirRectanglesAndNotOnePixelMore) {
  Seed({u"Bank"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  AccountView& view = session->Window().View();
  const QImage shot = view.grab().toImage();
  const QSize size = view.size();
  auto blue = [&](int x, int y) { return shot.pixelColor(x, y) == QColor(0, 0, 255); };
  auto darkBlue = [&](int x, int y) { return shot.pixelColor(x, y) == QColor(0, 0, 111); };
  const int right = size.width() - 5;  // excluded, as the drawing calls take rectangles
  EXPECT_TRUE(blue(4, 20));
  EXPECT_TRUE(blue(right - 1, 20));
  EXPECT_FALSE(blue(right, 20));
  EXPECT_TRUE(blue(50, 42));
  EXPECT_FALSE(blue(50, 43));
  const int bottom = size.height() - 6;
  EXPECT_TRUE(darkBlue(right - 1, bottom - 10));
  EXPECT_FALSE(darkBlue(right, bottom - 10));
  EXPECT_TRUE(darkBlue(50, bottom - 1));
  EXPECT_FALSE(darkBlue(50, bottom));
}

TEST_F(AccountViewTest, OnlyExactly240By320IsTheNarrowLayout) {
  EXPECT_FALSE(IsWideLayout(QSize(240, 320)));
  EXPECT_TRUE(IsWideLayout(QSize(320, 240)));
  EXPECT_TRUE(IsWideLayout(QSize(480, 640)));
  EXPECT_TRUE(IsWideLayout(QSize(240, 321)));
  EXPECT_TRUE(IsWideLayout(QSize(241, 320)));
}

TEST_F(AccountViewTest, TheBalanceLineFollowsTheSignAndTheMoneyViewType) {
  Seed({u"Bank", u"Empty"}, {u"Food"},
       {{0, Day(2026, 1, 1), 123456, kExpense, u"Food", u""},
        {0, Day(2026, 1, 2), 100, kIncome, u"Food", u""}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  AccountView& view = session->Window().View();
  EXPECT_EQ(view.BalanceText(), "Balance: -1,233.56");
  EXPECT_TRUE(view.IsBalanceNegative());
  EXPECT_EQ(view.BalanceColor(), QColor(242, 0, 0));
  EXPECT_EQ(view.BalanceFrameColor(), QColor(242, 0, 0));
  // Screen readers read what is painted.
  auto* balanceLine = view.findChild<QWidget*>("balanceLine");
  ASSERT_NE(balanceLine, nullptr);
  EXPECT_EQ(balanceLine->accessibleName(), "Balance: -1,233.56");
  auto* heading = view.findChild<QWidget*>("accountHeading");
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->accessibleName(), "Account:");

  // An account without records: greyed commands, zero in the other notation.
  session->GetProgram().settings.moneyTypeView = 1;
  AccountChooser& chooser = view.Chooser();
  chooser.setCurrentIndex(chooser.findText("Empty"));
  emit chooser.activated(chooser.currentIndex());
  EXPECT_EQ(view.BalanceText(), "Balance: 0,00");
  EXPECT_EQ(view.BalanceColor(), QColor(0, 111, 0));
  EXPECT_EQ(view.BalanceFrameColor(), QColor(0, 0, 111));
  EXPECT_EQ(balanceLine->accessibleName(), "Balance: 0,00");
  EXPECT_EQ(session->GetProgram().settings.lastAccount, u"Empty");
}

TEST_F(AccountViewTest, OpeningTheChooserLowersTheInputPanel) {
  Seed({u"Bank", u"Cash"}, {}, {});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  session->Screen().Panel().Raise();
  session->Window().View().Chooser().showPopup();
  EXPECT_FALSE(session->Screen().Panel().IsRaised());
  session->Window().View().Chooser().hidePopup();
}

TEST_F(AccountViewTest, TheChooserKeepsNamesSortedAndSelectsByPrefix) {
  AccountChooser chooser;
  for (const char* name : {"bank", "Cash", "Visa", "Apple", "cash"}) chooser.AddName(name);
  EXPECT_EQ(chooser.Names(), (QStringList{"Apple", "bank", "Cash", "cash", "Visa"}));
  EXPECT_TRUE(chooser.SelectName("cash"));
  EXPECT_EQ(chooser.currentText(), "cash");
  EXPECT_TRUE(chooser.SelectName("Vi"));
  EXPECT_EQ(chooser.currentText(), "Visa");
  EXPECT_FALSE(chooser.SelectName("Zebra"));
  EXPECT_EQ(chooser.currentText(), "Visa");
  EXPECT_FALSE(chooser.RemoveName("CASH"));
  EXPECT_TRUE(chooser.RemoveName("Cash"));
  EXPECT_EQ(chooser.Names(), (QStringList{"Apple", "bank", "cash", "Visa"}));
}

TEST_F(AccountViewTest, ModelRowsReadTheListInTheChosenForms) {
  MoneyList list;
  Settings settings;
  MoneyRecord record;
  record.SetDate(Day(2005, 10, 29));
  record.SetCategory(u"Food");
  record.type = kIncome;
  record.amount = 100087;
  record.SetAmount(record.amount);
  list.Append(record);
  MoneyListModel model(list, settings);
  EXPECT_EQ(model.rowCount(), 0) << "rows appear when the view is filled";
  model.ShowAccount(record.accountKey);
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.index(0, 0).data().toString(), "29-10-05");
  EXPECT_EQ(model.index(0, 1).data().toString(), "Food");
  EXPECT_EQ(model.index(0, 2).data().toString(), "1,000.87");
  EXPECT_FALSE(model.index(0, 0).data(Qt::DecorationRole).isNull());
  EXPECT_TRUE(model.index(0, 1).data(Qt::DecorationRole).isNull());
  settings.dateTypeView = 3;
  settings.moneyTypeView = 1;
  EXPECT_EQ(model.index(0, 0).data().toString(), "10/29/05");
  EXPECT_EQ(model.index(0, 2).data().toString(), "1.000,87");
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Date");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Amount");
  EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::DecorationRole).isNull());
  EXPECT_TRUE(model.headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());

  // The list emptied behind the view's back (a dialog reloaded it): rows read as blank.
  list.Clear();
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_TRUE(model.index(0, 0).data().isNull());
  model.RemoveRow(0);
  EXPECT_EQ(model.rowCount(), 0);
  model.RemoveRow(5);
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(AccountViewTest, HeadingFontsFollowTheDeviceResolution) {
  const QFont at96 = CreateTextFont(96, "Times New Roman", 10, 800);
  EXPECT_EQ(at96.pixelSize(), 13);
  EXPECT_EQ(at96.weight(), QFont::ExtraBold);
  EXPECT_FALSE(at96.italic());
  EXPECT_EQ(CreateTextFont(192, "Times New Roman", 10, 400, true).pixelSize(), 26);
  EXPECT_TRUE(CreateTextFont(192, "Times New Roman", 10, 400, true).italic());
  // fontconfig gives a metric-compatible face for the heading font.
  EXPECT_FALSE(QFontInfo(at96).family().isEmpty());
}

}  // namespace
}  // namespace quidora::testing
