// The pieces every dialog is built from: placement tables that move controls without showing
// them, the one rule that picks a dialog's arrangement, headings, and the sortable report list.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "dialog_fixture.h"
#include "dialogs/dialogs.h"
#include "dialogs/heading.h"
#include "dialogs/layout_table.h"
#include "dialogs/report_list.h"
#include "dialogs/table_dialog.h"
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

using TableDialogTest = DialogTest;
using dialogs::Heading;
using dialogs::TableDialog;
using ui::FullScreenDialog;

// Every push button of the dialog lies wholly inside it.
void ExpectButtonsInside(FullScreenDialog& dialog) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (!button->isVisible()) continue;
    EXPECT_TRUE(dialog.rect().contains(button->geometry()))
        << dialog.Title().toStdString() << ": " << button->text().toStdString() << " at "
        << button->x() << "," << button->y() << " in a dialog " << dialog.width() << " across";
  }
}

TEST_F(TableDialogTest, OneRulePicksTheArrangementFromScreenAndWidthOnEveryResize) {
  EXPECT_FALSE(TableDialog::ChoosesWide({240, 320}, 240));
  EXPECT_TRUE(TableDialog::ChoosesWide({320, 240}, 320));
  EXPECT_FALSE(TableDialog::ChoosesWide({240, 400}, 240)) << "wide screen, narrow dialog";
  EXPECT_TRUE(TableDialog::ChoosesWide({400, 240}, 400));
  EXPECT_TRUE(TableDialog::ChoosesWide({480, 640}, 480));
  EXPECT_FALSE(TableDialog::ChoosesWide({320, 240}, 319));

  constexpr int kFind = 1042;
  constexpr int kViewOk = 1129;
  const auto heading = [](FullScreenDialog& dialog) {
    auto* found = dialog.findChild<Heading*>();
    EXPECT_NE(found, nullptr);
    return found;
  };

  // 240 by 400 counts as wide, but the wide tables need 320 pixels: both take the tall one.
  UseScreen(240, 400);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Control(d, kFind)->geometry(), QRect(7, 134, 110, 24));
    ExpectButtonsInside(d);
    EXPECT_TRUE(heading(d)->isVisible());
    // From 1,23 up to 235,23, the end left out.
    EXPECT_EQ(heading(d)->RuleRect(), QRect(1, 23, 234, 1));
    d.OnTitleOk();
  });
  RunDeleteRangeDialog(*program_, *host_);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Control(d, kViewOk)->geometry(), QRect(153, 195, 80, 21));
    ExpectButtonsInside(d);
    EXPECT_TRUE(heading(d)->isVisible());
    EXPECT_EQ(heading(d)->RuleRect(), QRect(6, 23, 212, 1));
    EXPECT_EQ(heading(d)->Text(), "Date and Currency view options");
    // Turned to 400 by 240 while open: the wide table, and the heading goes.
    UseScreen(400, 240);
    EXPECT_EQ(Control(d, kViewOk)->geometry(), QRect(192, 57, 80, 21));
    EXPECT_FALSE(heading(d)->isVisible());
    // And back.
    UseScreen(240, 400);
    EXPECT_EQ(Control(d, kViewOk)->geometry(), QRect(153, 195, 80, 21));
    EXPECT_TRUE(heading(d)->isVisible());
    d.End(end_code::kViewOptionsCancel);
  });
  RunViewOptionsDialog(*program_);

  // 320 by 240: the wide tables; Delete by Range keeps its heading there, View Options does not.
  UseScreen(320, 240);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Control(d, kFind)->geometry(), QRect(214, 40, 100, 24));
    ExpectButtonsInside(d);
    EXPECT_TRUE(heading(d)->isVisible());
    d.OnTitleOk();
  });
  RunDeleteRangeDialog(*program_, *host_);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Control(d, kViewOk)->geometry(), QRect(192, 57, 80, 21));
    EXPECT_FALSE(heading(d)->isVisible());
    d.End(end_code::kViewOptionsCancel);
  });
  RunViewOptionsDialog(*program_);
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
