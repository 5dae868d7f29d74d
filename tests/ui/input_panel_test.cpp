#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/menu_bar.h"

namespace quidora {
namespace {

using ui::DeviceScreen;
using ui::InputPanel;

class InputPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* view = new QWidget;
    auto* column = new QVBoxLayout(view);
    edit = new QLineEdit(view);
    other = new QLineEdit(view);
    column->addWidget(edit);
    column->addWidget(other);
    column->addStretch();
    screen.SetMainView(view);
    screen.show();
    screen.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
  }

  void Tap(const QString& face) {
    QPushButton* key = screen.Panel().Key(face);
    ASSERT_NE(key, nullptr) << face.toStdString();
    QTest::mouseClick(key, Qt::LeftButton);
  }

  DeviceScreen screen{QSize(240, 320)};
  QLineEdit* edit = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(InputPanelTest, MenuBarButtonRaisesAndLowersThePanel) {
  InputPanel& panel = screen.Panel();
  QSignalSpy changes(&panel, &InputPanel::RaisedChanged);
  EXPECT_FALSE(panel.IsRaised());
  EXPECT_FALSE(panel.isVisible());
  QTest::mouseClick(screen.Menu().InputPanelButton(), Qt::LeftButton);
  EXPECT_TRUE(panel.IsRaised());
  EXPECT_TRUE(panel.isVisible());
  // Above the menu bar, across the screen, over the work area.
  EXPECT_EQ(panel.geometry(), QRect(0, 320 - 26 - 80, 240, 80));
  QTest::mouseClick(screen.Menu().InputPanelButton(), Qt::LeftButton);
  EXPECT_FALSE(panel.IsRaised());
  EXPECT_FALSE(panel.isVisible());
  panel.Lower();  // already lowered: no change is announced
  ASSERT_EQ(changes.count(), 2);
  EXPECT_TRUE(changes.at(0).at(0).toBool());
  EXPECT_FALSE(changes.at(1).at(0).toBool());
}

TEST_F(InputPanelTest, KeysTypeIntoTheFocusedFieldWhichKeepsTheFocus) {
  screen.Panel().Raise();
  edit->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  for (const char* face : {"h", "i", "Shift", "a", "b", "Space", "1", "0", ".", ",", "Shift"}) {
    Tap(face);
  }
  EXPECT_TRUE(screen.Panel().IsShifted());
  Tap("z");
  EXPECT_FALSE(screen.Panel().IsShifted()) << "shift holds for one letter only";
  EXPECT_EQ(edit->text(), "hiAb 10.,Z");
  Tap("Backspace");
  Tap("Backspace");
  EXPECT_EQ(edit->text(), "hiAb 10.");
  EXPECT_EQ(QApplication::focusWidget(), edit);
  EXPECT_TRUE(other->text().isEmpty());

  other->setFocus();
  other->setMaxLength(3);
  for (const char* face : {"9", "8", "7", "6"}) Tap(face);
  EXPECT_EQ(other->text(), "987") << "the field's own limit holds for panel typing too";
  EXPECT_EQ(edit->text(), "hiAb 10.");
}

TEST_F(InputPanelTest, EveryKeyHasANameAndNoneTakesTheFocus) {
  const QList<QPushButton*> keys = screen.Panel().findChildren<QPushButton*>();
  EXPECT_GE(keys.size(), 10 + 26 + 5);
  for (QPushButton* key : keys) {
    EXPECT_FALSE(key->accessibleName().isEmpty());
    EXPECT_EQ(key->focusPolicy(), Qt::NoFocus) << key->accessibleName().toStdString();
  }
}

}  // namespace
}  // namespace quidora

namespace quidora {
namespace {

// A dialog without text fields and two date pickers, as delete by range and the reports have.
TEST_F(InputPanelTest, EveryWatchedCalendarLowersThePanelAndOnlyTextFieldsRaiseIt) {
  QWidget* view = screen.MainView();
  auto* start = new QDateEdit(view);
  auto* end = new QDateEdit(view);
  for (QDateEdit* picker : {start, end}) {
    picker->setCalendarPopup(true);
    picker->setGeometry(10, picker == start ? 100 : 130, 110, 22);
    picker->show();
  }
  ui::InputPanelRules rules(screen.Panel(), view, ui::InputPanelRules::AfterPopup::LeavePanelDown);
  rules.WatchDatePicker(start);
  rules.WatchDatePicker(end);
  rules.WatchTextField(edit);
  InputPanel& panel = screen.Panel();
  auto openCalendar = [](QDateEdit* picker) {
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(picker->width() - 6, picker->height() / 2));
    return picker->calendarWidget()->window();
  };

  for (QDateEdit* picker : {start, end, start}) {
    panel.Raise();
    QWidget* calendar = openCalendar(picker);
    ASSERT_TRUE(calendar->isVisible());
    EXPECT_FALSE(panel.IsRaised());
    calendar->hide();
    EXPECT_FALSE(panel.IsRaised()) << "a dialog without text fields leaves the panel down";
  }
  edit->setFocus();
  EXPECT_TRUE(panel.IsRaised());
}

}  // namespace
}  // namespace quidora
