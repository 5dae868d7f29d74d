// The pieces every dialog is built from: placement tables that move controls without showing
// them, and the sortable report list.
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "dialog_fixture.h"
#include "dialogs/layout_table.h"
#include "dialogs/report_list.h"
#include "platform/ui/images.h"

namespace quidora::testing {
namespace {

using dialogs::LayoutTable;
using dialogs::ReportList;

TEST(LayoutTable, ARotationMovesControlsAndNeverShowsOrHidesThem) {
  QWidget dialog;
  auto* reset = ui::SetControlId(new QLabel("Reset", &dialog), 1077);
  auto* ok = ui::SetControlId(new QLabel("OK", &dialog), 1138);
  reset->hide();  // a report hides Reset until it shows results
  const LayoutTable layout{
      {1077, {100, 133, 85, 21}, {140, 133, 90, 21}},
      {1138, {}, {161, 140, 73, 24}},  // no place in the wide layout
  };
  dialog.show();
  layout.Apply(&dialog, false);
  EXPECT_EQ(reset->geometry(), QRect(140, 133, 90, 21));
  EXPECT_EQ(ok->geometry(), QRect(161, 140, 73, 24));
  layout.Apply(&dialog, true);
  EXPECT_EQ(reset->geometry(), QRect(100, 133, 85, 21));
  EXPECT_FALSE(reset->isVisible());
  EXPECT_TRUE(ok->isVisible());
  EXPECT_EQ(ok->geometry(), QRect(161, 140, 73, 24)) << "left where it was";
}

TEST(ReportList, LayoutsImagesAndOneSignalPerTapOrEnter) {
  QWidget dialog;
  dialog.resize(320, 240);
  const dialogs::ReportListSpec spec{
      503, {140, 5, 173, 105}, {7, 120, 223, 108}, {{"Account", 90, 110}, {"Balance", 105, 95}}};
  auto* list = new ReportList(&dialog, spec, true);
  dialog.show();
  EXPECT_EQ(ui::FindControl<ReportList>(&dialog, 503), list);
  EXPECT_EQ(list->geometry(), QRect(140, 5, 173, 105));
  EXPECT_EQ(list->columnWidth(1), 105);
  list->SetLayout(false);
  EXPECT_EQ(list->geometry(), QRect(7, 120, 223, 108));
  EXPECT_EQ(list->columnWidth(0), 110);

  list->AddRow({"Bank", "12.50"}, ui::kIncomeImage);
  list->AddRow({"Cash", "0.00"}, ui::kDoubleBarImage);
  EXPECT_EQ(list->RowCount(), 2);
  EXPECT_EQ(list->Text(1, 0), "Cash");
  EXPECT_EQ(list->RowImage(0), ui::kIncomeImage);
  EXPECT_FALSE(list->topLevelItem(1)->icon(0).isNull());

  QSignalSpy taps(list, &ReportList::RowTapped);
  QSignalSpy headers(list, &ReportList::HeaderTapped);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->topLevelItem(1)).center());
  QTest::keyClick(list, Qt::Key_Return);
  QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {},
                    QPoint(list->header()->sectionViewportPosition(1) + 10, 5));
  ASSERT_EQ(taps.count(), 2);
  EXPECT_EQ(taps.at(0).at(0).toInt(), 1);
  EXPECT_EQ(taps.at(1).at(0).toInt(), 1);
  ASSERT_EQ(headers.count(), 1);
  EXPECT_EQ(headers.at(0).at(0).toInt(), 1);
}

}  // namespace
}  // namespace quidora::testing
