// The main window's desktop keys against the commands they stand for.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/menu_bar.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell/undo_handover.h"
#include "shell_fixture.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr std::u16string_view kDeleteQuestion = u"Selected record will be deleted. Continue?";
constexpr int kAmountField = 1017;

class DesktopKeysTest : public ShellTest {};

TEST_F(DesktopKeysTest, NewDeleteAndUndoKeysDoWhatTheirCommandsDoAndNothingWhenGreyed) {
  Seed({u"Bank"}, {u"Food"},
       {{0, Day(2026, 1, 10), 1000, kExpense, u"Food", u"first"},
        {0, Day(2026, 1, 20), 2000, kExpense, u"Food", u"second"}});
  auto session = Start();
  ASSERT_NE(session, nullptr);
  ui::DeviceScreen& screen = session->Screen();
  MainWindow& window = session->Window();
  Program& program = session->GetProgram();
  MoneyListView& list = window.List();
  screen.show();
  screen.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
  list.setFocus();
  DialogDriver driver(screen);

  // Ctrl+N opens "New"; the same keys inside it open nothing more; Escape cancels it.
  driver.Then([&](FullScreenDialog& dialog) {
    auto* amount = ui::FindControl<QLineEdit>(&dialog, kAmountField);
    ASSERT_NE(amount, nullptr);
    QTest::keyClick(amount, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(amount, Qt::Key_Escape);
  });
  QTest::keyClick(&list, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(driver.Opened(), QStringList{"Specify amount"});
  EXPECT_EQ(list.RowCount(), 2);

  // Nothing deleted yet: "Undo Deleting" is greyed and so is its key.
  ASSERT_FALSE(screen.Menu().IsCommandEnabled(command::kUndoDeleting));
  QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(list.RowCount(), 2);

  // Delete asks as the transaction dialog does; No keeps the row.
  list.setFocus();
  list.SelectRow(0);
  messages.Expect(std::u16string(kDeleteQuestion), MessageAnswer::No);
  QTest::keyClick(&list, Qt::Key_Delete);
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_TRUE(program.undo.empty());

  messages.Expect(std::u16string(kDeleteQuestion), MessageAnswer::Yes);
  QTest::keyClick(&list, Qt::Key_Delete);
  ASSERT_EQ(list.RowCount(), 1);
  ASSERT_EQ(program.undo.size(), 1u);
  EXPECT_EQ(program.undo[0].amount, 1000);
  EXPECT_EQ(window.View().BalanceText(), "Balance: -20.00");
  EXPECT_TRUE(screen.Menu().IsCommandEnabled(command::kUndoDeleting));

  // Without a selected row Delete does nothing (an unexpected question would fail the test).
  list.ClearSelection();
  QTest::keyClick(&list, Qt::Key_Delete);
  EXPECT_EQ(list.RowCount(), 1);

  // Ctrl+Z brings the record back as "Undo Deleting" does.
  QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_TRUE(program.undo.empty());
  EXPECT_EQ(window.View().BalanceText(), "Balance: -30.00");
  EXPECT_FALSE(screen.Menu().IsCommandEnabled(command::kUndoDeleting));
  EXPECT_TRUE(messages.AllShown());

  Close(session);
  EXPECT_EQ(StoredCount(u"Vesko Quidbook"), 2u) << "the restored record is stored again";
}

// A restart for a new zoom hands the undo list to the next copy through the environment; what
// a hostile environment names instead is left alone.
TEST(UndoHandoverTest, TheListComesBackWholeAndNothingButOurOwnFileIsRead) {
  MoneyList undo;
  for (int i = 0; i < 2; ++i) {
    MoneyRecord record;
    record.Reset();
    record.key = 70'000u + static_cast<std::uint32_t>(i);
    record.accountKey = 4;
    record.type = i == 0 ? kExpense : kIncome;
    record.amount = i == 0 ? 1234 : 2'000'000'000;
    record.SetAmount(record.amount);
    record.SetDate(Day(2026, 2, 28 - i));
    record.SetCategory(i == 0 ? std::u16string_view(u"Food") : std::u16string_view(u"Caf\u00e9"));
    record.SetMemo(i == 0 ? std::u16string_view(u"\"quoted\", \U0001F600") : std::u16string_view());
    undo.Append(std::move(record));
  }
  ASSERT_TRUE(HandOverUndoList(undo));
  ASSERT_NE(std::getenv("QUIDORA_UNDO_HANDOVER"), nullptr);
  const MoneyList back = TakeHandedOverUndoList();
  EXPECT_EQ(std::getenv("QUIDORA_UNDO_HANDOVER"), nullptr);
  ASSERT_EQ(back.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back[i].key, undo[i].key);
    EXPECT_EQ(back[i].accountKey, 4u);
    EXPECT_EQ(back[i].type, undo[i].type);
    EXPECT_EQ(back[i].amount, undo[i].amount);
    EXPECT_EQ(back[i].AmountText(0).view(), undo[i].AmountText(0).view());
    EXPECT_EQ(back[i].DateNumber(), undo[i].DateNumber());
    EXPECT_EQ(back[i].Category(), undo[i].Category());
    EXPECT_EQ(back[i].Memo(), undo[i].Memo());
  }
  EXPECT_EQ(TakeHandedOverUndoList().size(), 0u) << "taken once";

  // Standard input, a file of the user's, or no number at all: nothing read, nothing closed.
  const int other = ::open("/proc/self/status", O_RDONLY);
  ASSERT_GE(other, 0);
  for (const std::string& named : {std::string("0"), std::to_string(other), std::string("x")}) {
    ::setenv("QUIDORA_UNDO_HANDOVER", named.c_str(), 1);
    EXPECT_EQ(TakeHandedOverUndoList().size(), 0u) << named;
    EXPECT_EQ(std::getenv("QUIDORA_UNDO_HANDOVER"), nullptr);
  }
  EXPECT_NE(::fcntl(other, F_GETFD), -1) << "the user's file stays open";
  ::close(other);
}

}  // namespace
}  // namespace quidora::testing
