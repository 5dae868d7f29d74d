#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "dialog_driver.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"
#include "platform/ui/images.h"
#include "platform/ui/menu_bar.h"

namespace quidora {
namespace {

using ui::DeviceScreen;
using ui::MenuBar;
using ui::MenuBarDescription;
using ui::MenuEntry;

MenuBarDescription ProgramMenu() {
  MenuBarDescription d;
  d.items.push_back({"New", 40003, "New Transaction", {}});
  d.items.push_back({"Accounts",
                     40001,
                     {},
                     {{"New Transaction...", 40003},
                      {"New Account...", 40051},
                      MenuEntry::Separator(),
                      {"Accounts...", 40060},
                      {"Accounts Balance...", 40061},
                      MenuEntry::Separator(),
                      {"Undo Deleting", 40049},
                      {"Transactions Report...", 40021},
                      MenuEntry::Separator(),
                      {"Exit", 40050}}});
  d.items.push_back({"Tools",
                     40043,
                     {},
                     {{"Edit Categories...", 40019},
                      {"Delete by Range of Dates...", 40042},
                      {"Empty Undo Transactions", 40071},
                      MenuEntry::Separator(),
                      {"Export Transactions...", 40045},
                      {"View Options", 40046},
                      MenuEntry::Separator(),
                      {"About", 40009}}});
  d.buttons = {{0, 0, {}},
               {551, ui::kEditCategoriesImage, "Edit Categories"},
               {552, ui::kTransactionsReportImage, "Transactions Report"},
               {553, ui::kUndoDeletingImage, "Undo Deleting"}};
  d.toolbarBitmap = ui::ToolbarBitmap();
  return d;
}

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen.Menu().Build(ProgramMenu());
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  }
  MenuBar& menu() { return screen.Menu(); }

  DeviceScreen screen{QSize(240, 320)};
};

TEST_F(MenuBarTest, ButtonsAndMenuItemsSendTheirCommandNumbers) {
  QSignalSpy issued(&menu(), &MenuBar::CommandIssued);
  QTest::mouseClick(menu().Button(40003), Qt::LeftButton);
  QTest::mouseClick(menu().Button(552), Qt::LeftButton);
  menu().MenuAction(40060)->trigger();
  menu().MenuAction(40009)->trigger();
  ASSERT_EQ(issued.count(), 4);
  EXPECT_EQ(issued.at(0).at(0).toInt(), 40003);
  EXPECT_EQ(issued.at(1).at(0).toInt(), 552);
  EXPECT_EQ(issued.at(2).at(0).toInt(), 40060);
  EXPECT_EQ(issued.at(3).at(0).toInt(), 40009);

  // A drop-down button opens its menu and sends nothing.
  QTest::mouseClick(menu().Button(40001), Qt::LeftButton);
  EXPECT_EQ(issued.count(), 4);
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu().Popup(40001)->isVisible(); }));
  menu().Popup(40001)->hide();
}

TEST_F(MenuBarTest, GreyedItemsAndButtonsSendNothingUntilEnabledAgain) {
  QSignalSpy issued(&menu(), &MenuBar::CommandIssued);
  for (int command : {40021, 552, 40045, 40042, 40003}) menu().SetCommandEnabled(command, false);

  EXPECT_FALSE(menu().IsCommandEnabled(552));
  EXPECT_FALSE(menu().Button(552)->isEnabled());
  EXPECT_FALSE(menu().MenuAction(40021)->isEnabled());
  // 40003 is both the New button and a menu item: both are greyed.
  EXPECT_FALSE(menu().Button(40003)->isEnabled());
  EXPECT_FALSE(menu().MenuAction(40003)->isEnabled());
  EXPECT_TRUE(menu().IsCommandEnabled(40060));
  EXPECT_TRUE(menu().IsCommandEnabled(553));

  QTest::mouseClick(menu().Button(552), Qt::LeftButton);
  menu().MenuAction(40021)->trigger();
  EXPECT_FALSE(menu().Choose(40045));
  EXPECT_FALSE(menu().Choose(40003));
  EXPECT_EQ(issued.count(), 0);

  menu().SetCommandEnabled(552, true);
  menu().SetCommandEnabled(40021, true);
  QTest::mouseClick(menu().Button(552), Qt::LeftButton);
  EXPECT_TRUE(menu().Choose(40021));
  ASSERT_EQ(issued.count(), 2);
  EXPECT_EQ(issued.at(1).at(0).toInt(), 40021);

  EXPECT_FALSE(menu().HasCommand(40099));
  EXPECT_FALSE(menu().Choose(40099));
  menu().SetCommandEnabled(40099, false);  // unknown numbers are ignored
}

TEST_F(MenuBarTest, MenusListTheirItemsAndOpenUpwardInsideTheScreen) {
  QMenu* tools = menu().Popup(40043);
  ASSERT_NE(tools, nullptr);
  QStringList texts;
  for (QAction* action : tools->actions()) texts << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(texts, QStringList({"Edit Categories...", "Delete by Range of Dates...",
                                "Empty Undo Transactions", "-", "Export Transactions...",
                                "View Options", "-", "About"}));

  for (QSize size : {QSize(240, 320), QSize(320, 240)}) {
    screen.SetScreenSize(size);
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen.size() == size; }));
    for (int command : {40001, 40043}) {
      QMenu* popup = menu().Popup(command);
      menu().OpenPopup(command);
      ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }));
      const QRect area(screen.mapToGlobal(QPoint(0, 0)), screen.size());
      const QRect placed = popup->geometry();
      const int barTop = menu().mapToGlobal(QPoint(0, 0)).y();
      EXPECT_LE(placed.bottom(), barTop) << "menu " << command << " must open upward";
      EXPECT_GE(placed.left(), area.left());
      EXPECT_LE(placed.right(), area.right()) << "menu " << command << " leaves the screen";
      EXPECT_GE(placed.top(), area.top());
      popup->hide();
    }
  }
}

TEST_F(MenuBarTest, F10OrAloneAltHandsTheBarToTheKeyboard) {
  auto* focusBefore = new QLineEdit(&screen);
  focusBefore->setGeometry(0, 40, 100, 20);
  focusBefore->show();
  screen.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
  focusBefore->setFocus();
  QSignalSpy issued(&menu(), &MenuBar::CommandIssued);
  menu().SetCommandEnabled(40051, false);

  QTest::keyClick(focusBefore, Qt::Key_F10);
  ASSERT_TRUE(menu().IsKeyboardActive());
  EXPECT_EQ(menu().KeyboardButton(), menu().Button(40003));
  // Right to "Accounts", Down opens it on its first item; Down skips the greyed one.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  EXPECT_EQ(menu().KeyboardButton(), menu().Button(40001));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QMenu* accounts = menu().Popup(40001);
  ASSERT_TRUE(QTest::qWaitFor([&] { return accounts->isVisible(); }));
  EXPECT_EQ(accounts->activeAction(), menu().MenuAction(40003));
  QTest::keyClick(accounts, Qt::Key_Down);
  EXPECT_EQ(accounts->activeAction(), menu().MenuAction(40060));
  // Right moves on to the next menu.
  QTest::keyClick(accounts, Qt::Key_Right);
  QMenu* tools = menu().Popup(40043);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tools->isVisible(); }));
  EXPECT_FALSE(accounts->isVisible());
  QTest::keyClick(tools, Qt::Key_Left);
  ASSERT_TRUE(QTest::qWaitFor([&] { return accounts->isVisible(); }));
  QTest::keyClick(accounts, Qt::Key_Down);
  QTest::keyClick(accounts, Qt::Key_Return);
  ASSERT_EQ(issued.count(), 1);
  EXPECT_EQ(issued.at(0).at(0).toInt(), 40060);
  EXPECT_FALSE(menu().IsKeyboardActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return focusBefore->hasFocus(); }));

  // A lone Alt; Left wraps to the toolbar's last button and passes over a greyed one; Enter
  // presses a plain button; Escape leaves.
  menu().SetCommandEnabled(552, false);
  QTest::keyPress(focusBefore, Qt::Key_Alt, Qt::AltModifier);
  QTest::keyRelease(focusBefore, Qt::Key_Alt);
  ASSERT_TRUE(menu().IsKeyboardActive());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  EXPECT_EQ(menu().KeyboardButton(), menu().Button(553));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  EXPECT_EQ(menu().KeyboardButton(), menu().Button(551));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  ASSERT_EQ(issued.count(), 2);
  EXPECT_EQ(issued.at(1).at(0).toInt(), 551);
  QTest::keyClick(focusBefore, Qt::Key_F10);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(menu().IsKeyboardActive());
  EXPECT_TRUE(focusBefore->hasFocus());
  // Alt as part of a combination does not.
  QTest::keyClick(focusBefore, Qt::Key_X, Qt::AltModifier);
  EXPECT_FALSE(menu().IsKeyboardActive());
}

TEST_F(MenuBarTest, ToolbarButtonsShowImagesAndTooltips) {
  const std::pair<int, const char*> expected[] = {
      {551, "Edit Categories"}, {552, "Transactions Report"}, {553, "Undo Deleting"}};
  for (const auto& [command, tip] : expected) {
    auto* button = qobject_cast<QToolButton*>(menu().Button(command));
    ASSERT_NE(button, nullptr) << command;
    EXPECT_EQ(button->toolTip(), tip);
    EXPECT_EQ(button->accessibleName(), tip);
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_EQ(button->iconSize(), QSize(16, 16));
    EXPECT_FALSE(button->icon().isNull());
  }
  EXPECT_EQ(menu().Button(40003)->toolTip(), "New Transaction");
  EXPECT_EQ(menu().Button(40003)->text(), "New");
  EXPECT_EQ(menu().InputPanelButton()->accessibleName(), "Input Panel");
}

TEST_F(MenuBarTest, EverythingFitsSideBySideOnTheNarrowScreen) {
  QTest::qWait(10);
  int right = 0;
  for (int command : {40003, 40001, 40043, 551, 552, 553}) {
    const QRect box(menu().Button(command)->mapTo(&screen, QPoint(0, 0)),
                    menu().Button(command)->size());
    EXPECT_GE(box.left(), right) << "button " << command << " overlaps the one before it";
    right = box.right() + 1;
  }
  const QWidget* panel = menu().InputPanelButton();
  EXPECT_GE(panel->mapTo(&screen, QPoint(0, 0)).x(), right);
  EXPECT_LE(panel->mapTo(&screen, QPoint(0, 0)).x() + panel->width(), 240);
}

TEST_F(MenuBarTest, CommandsWaitWhileAFullScreenDialogRuns) {
  QSignalSpy issued(&menu(), &MenuBar::CommandIssued);
  ui::FullScreenDialog dialog(screen, "Dialog", "t");
  testing::DialogDriver driver(screen);
  driver.Then([&](ui::FullScreenDialog& d) {
    EXPECT_FALSE(menu().Button(40003)->isVisible());
    EXPECT_TRUE(menu().InputPanelButton()->isVisible());
    EXPECT_FALSE(menu().Choose(40003));
    d.End(1);
  });
  dialog.Exec();
  EXPECT_TRUE(menu().Button(40003)->isVisible());
  EXPECT_TRUE(menu().Choose(40003));
  EXPECT_EQ(issued.count(), 1);
}

TEST_F(MenuBarTest, RebuildingReplacesTheOldItems) {
  MenuBarDescription small;
  small.items.push_back({"Only", 40100, {}, {}});
  menu().Build(small);
  EXPECT_FALSE(menu().HasCommand(40003));
  EXPECT_EQ(menu().Popup(40001), nullptr);
  EXPECT_TRUE(menu().IsCommandEnabled(40100));
}

}  // namespace
}  // namespace quidora
