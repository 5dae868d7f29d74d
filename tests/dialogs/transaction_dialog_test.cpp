#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dialog_fixture.h"
#include "dialogs/dialogs.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/navigation_bar.h"
#include "shell/undo_list.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr int kDate = 1015;
constexpr int kAmount = 1017;
constexpr int kTypeLabel = 1018;
constexpr int kIncomeButton = 1019;
constexpr int kExpenseButton = 1020;
constexpr int kCategory = 1022;
constexpr int kAccount = 1024;
constexpr int kMemo = 1026;
constexpr int kCancel = 1027;
constexpr int kOk = 1028;
constexpr int kDelete = 1029;

class TransactionDialogTest : public DialogTest {
 protected:
  TransactionDialogTest() {
    cash_ = AddAccount(u"Cash");
    bank_ = AddAccount(u"Bank");
    AddCategory(u"Salary");
    AddCategory(u"Food");
  }

  // A new transaction, as the main window prepares it.
  void PrepareNew() {
    program_->workMoney.Reset();
    program_->workMoney.SetDate(program_->today);
    program_->transactionEditFlag = 0;
    program_->savedRow = -1;
  }

  // The shown record at `row` opened for editing, as the account view prepares it.
  void PrepareEdit(int row) {
    program_->savedRow = row;
    program_->workMoney.Reset();
    program_->workMoney.CopyFrom(program_->money[static_cast<std::size_t>(row)]);
    program_->transactionEditFlag = 1;
  }

  void Choose(FullScreenDialog& dialog, int id, const QString& text) {
    auto* list = Control<QComboBox>(dialog, id);
    list->setCurrentIndex(list->findText(text));
    ASSERT_EQ(list->currentText(), text);
  }

  std::uint32_t cash_ = 0;
  std::uint32_t bank_ = 0;
};

TEST_F(TransactionDialogTest, NewRecordOpensWithExpenseCurrentAccountAndNoCategory) {
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(program_->openDialog, &d);
    EXPECT_TRUE(Control<QRadioButton>(d, kExpenseButton)->isChecked());
    EXPECT_EQ(Control<QComboBox>(d, kAccount)->currentText(), "Cash");
    EXPECT_EQ(Control<QComboBox>(d, kCategory)->currentIndex(), -1);
    // Both drop-downs keep their entries sorted.
    EXPECT_EQ(Control<QComboBox>(d, kCategory)->itemText(0), "Food");
    EXPECT_EQ(Control<QComboBox>(d, kAccount)->itemText(0), "Bank");
    EXPECT_EQ(Control<QDateEdit>(d, kDate)->date(), QDate(2006, 3, 15));
    EXPECT_FALSE(Control(d, kDelete)->isVisible());
    EXPECT_EQ(Focused(), Control(d, 1017));
    EXPECT_TRUE(screen_.Panel().IsRaised());
    // A drop-down's list covers the panel's place while it is open.
    auto* categories = Control<QComboBox>(d, kCategory);
    categories->showPopup();
    EXPECT_FALSE(screen_.Panel().IsRaised());
    categories->hidePopup();
    EXPECT_TRUE(screen_.Panel().IsRaised());

    Click(&d, kOk);  // empty amount
    EXPECT_EQ(messages_.beeps, 1);
    EXPECT_EQ(Focused(), Control(d, kAmount));

    TypeText(&d, kAmount, "12.5");
    Click(&d, kOk);  // no category chosen
    EXPECT_EQ(messages_.beeps, 2);
    EXPECT_EQ(Focused(), Control(d, kCategory));
    EXPECT_TRUE(d.IsRunning());
    Click(&d, kCancel);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionCancel);
  // Cancel resets the work record and clears the open dialog.
  EXPECT_EQ(program_->workMoney.key, kNoKey);
  EXPECT_EQ(program_->workMoney.amount, 0);
  EXPECT_FALSE(program_->workMoney.HasCategory());
  EXPECT_TRUE(program_->openDialog.isNull());
}

TEST_F(TransactionDialogTest, OkFillsTheWorkRecordAndToday) {
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    Control<QDateEdit>(d, kDate)->setDate(QDate(2005, 10, 29));
    TypeText(&d, kAmount, " 1,234.567 ");
    Click(&d, kIncomeButton);
    Choose(d, kCategory, "Salary");
    Choose(d, kAccount, "Bank");
    // A memo pasted with a line break and a tab stays on one line.
    auto* memo = Control<QLineEdit>(d, kMemo);
    memo->clear();
    memo->insert("  paid\r\nlate\t ");
    EXPECT_EQ(memo->text(), "  paid late  ");
    // Enter in a field confirms as the title bar's OK does.
    QTest::keyClick(memo, Qt::Key_Return);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionOk);
  const MoneyRecord& record = program_->workMoney;
  EXPECT_EQ(record.DateNumber(), 20051029u);
  EXPECT_EQ(record.amount, 123457);
  EXPECT_EQ(record.type, kIncome);
  EXPECT_EQ(record.Category(), u"Salary");
  EXPECT_EQ(record.accountKey, bank_);
  EXPECT_EQ(record.Memo(), u"paid late");
  EXPECT_EQ(DateNumberOf(program_->today), 20051029u);
  EXPECT_TRUE(program_->openDialog.isNull());
}

TEST_F(TransactionDialogTest, UnknownAccountNameFallsBackToTheCurrentAccount) {
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    TypeText(&d, kAmount, "5");
    Choose(d, kCategory, "Food");
    auto* accounts = Control<QComboBox>(d, kAccount);
    accounts->addItem("Gone");
    Choose(d, kAccount, "Gone");
    Click(&d, kOk);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionOk);
  EXPECT_EQ(program_->workMoney.accountKey, cash_);
  EXPECT_EQ(program_->workMoney.amount, 500);
}

struct AmountCase {
  std::uint32_t grouping;
  const char* typed;
  std::u16string message;
};

TEST_F(TransactionDialogTest, RefusedAmountsShowTheMessageOfTheirGrouping) {
  const AmountCase cases[] = {
      {0, "12a",
       u"Please specify a valid amount. Check currency options in the Tools\\View "
       u"Options menu item."},
      {0, "1000000.01", u"You can enter not more than 1,000,000.00 "},
      {0, "0.004", u"You can not enter 0.0 amount"},
      {0, "   ", u"You can not enter 0.0 amount"},
      {1, "1,000,87",
       u"Please specify a valid amount. Check currency options in the Tools\\View "
       u"Options menu item."},
      {1, "1.000.000,01", u"You can enter not more than 1.000.000,00 "},
      {1, "0,00", u"You can not enter 0,0 amount"},
  };
  for (const AmountCase& c : cases) {
    SCOPED_TRACE(c.typed);
    program_->settings.moneyTypeView = c.grouping;
    PrepareNew();
    messages_.Expect(c.message);
    driver_->Then([&](FullScreenDialog& d) {
      TypeText(&d, kAmount, c.typed);
      Choose(d, kCategory, "Food");
      Click(&d, kOk);
      EXPECT_TRUE(d.IsRunning());
      auto* amount = Control<QLineEdit>(d, kAmount);
      EXPECT_EQ(Focused(), amount);
      EXPECT_EQ(amount->selectedText(), amount->text());
      EXPECT_TRUE(screen_.Panel().IsRaised());
      Click(&d, kCancel);
    });
    EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionCancel);
  }
  EXPECT_TRUE(messages_.AllShown());
  ASSERT_EQ(messages_.log.size(), std::size(cases));
  EXPECT_EQ(messages_.log[0].icon, MessageIcon::Exclamation);
}

TEST_F(TransactionDialogTest, CommaGroupingReadsAndShowsItsOwnNotation) {
  program_->settings.moneyTypeView = 1;
  AddMoney(cash_, u"Food", 100087, kIncome);
  ShowAccount(cash_);
  PrepareEdit(0);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_TRUE(Control<QRadioButton>(d, kIncomeButton)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(d, kExpenseButton)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(d, kAmount)->text(), "1.000,87");
    EXPECT_EQ(Control<QComboBox>(d, kCategory)->currentText(), "Food");
    TypeText(&d, kAmount, "2.500,5");
    Click(&d, kOk);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionOk);
  EXPECT_EQ(program_->workMoney.amount, 250050);
  EXPECT_EQ(program_->workMoney.type, kIncome);
}

TEST_F(TransactionDialogTest, DeleteRemovesTheRecordFromListViewAndStore) {
  const std::uint32_t first = AddMoney(cash_, u"Food", 100);
  const std::uint32_t second = AddMoney(cash_, u"Food", 200);
  AddMoney(bank_, u"Food", 300);
  ShowAccount(cash_);
  ASSERT_EQ(program_->money.size(), 2u);
  PrepareEdit(1);
  ASSERT_EQ(program_->workMoney.key, second);

  messages_.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::No);
  messages_.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_TRUE(Control(d, kDelete)->isVisible());
    Click(&d, kDelete);  // No: nothing happens
    EXPECT_TRUE(d.IsRunning());
    EXPECT_EQ(Focused(), Control(d, kAmount));
    EXPECT_TRUE(host_->calls.empty());
    Click(&d, kDelete);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionDeleted);
  EXPECT_EQ(host_->calls, (std::vector<std::u16string>{u"PushDeleted", u"RemoveMoneyRecordAndRow 1",
                                                       u"UpdateCommandStates"}));
  ASSERT_EQ(program_->money.size(), 1u);
  EXPECT_EQ(program_->money[0].key, first);
  ASSERT_EQ(program_->undo.size(), 1u);
  EXPECT_EQ(program_->undo[0].key, second);
  EXPECT_EQ(program_->undo[0].amount, 200);
  EXPECT_EQ(StoredMoney().size(), 2u);
  EXPECT_TRUE(program_->openDialog.isNull());
}

TEST_F(TransactionDialogTest, ThirteenthDeletionRefusedKeepsTheRecordAndTheDialog) {
  for (int i = 0; i < 12; ++i) {
    MoneyRecord old;
    old.SetCategory(u"Food");
    program_->undo.Append(old);
  }
  AddMoney(cash_, u"Food", 100);
  ShowAccount(cash_);
  PrepareEdit(0);
  messages_.Expect(u"Selected record will be deleted. Continue?", MessageAnswer::Yes);
  messages_.Expect(std::u16string(LoadString(StringId::UndoFull)), MessageAnswer::No);
  driver_->Then([&](FullScreenDialog& d) {
    Click(&d, kDelete);
    EXPECT_TRUE(d.IsRunning());
    Click(&d, kCancel);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionCancel);
  EXPECT_EQ(program_->money.size(), 1u);
  EXPECT_EQ(program_->undo.size(), 12u);
  EXPECT_EQ(StoredMoney().size(), 1u);
}

TEST_F(TransactionDialogTest, TallAndWideLayouts) {
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_TRUE(Control(d, kTypeLabel)->isVisible());
    EXPECT_EQ(Control(d, kTypeLabel)->geometry(), QRect(5, 52, 33, 20));
    EXPECT_EQ(Control(d, kOk)->geometry(), QRect(161, 148, 73, 24));
    EXPECT_EQ(Control(d, kExpenseButton)->geometry(), QRect(140, 50, 70, 20));
    EXPECT_EQ(Control(d, kMemo)->geometry(), QRect(65, 116, 168, 20));
    Click(&d, kCancel);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionCancel);

  UseScreen(320, 240);
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_FALSE(Control(d, kTypeLabel)->isVisible());
    EXPECT_FALSE(Control(d, kOk)->isVisible());
    EXPECT_EQ(Control(d, kIncomeButton)->geometry(), QRect(170, 15, 60, 18));
    EXPECT_EQ(Control(d, kCancel)->geometry(), QRect(235, 80, 73, 24));
    EXPECT_EQ(Control(d, kAmount)->geometry(), QRect(65, 24, 90, 18));
    TypeText(&d, kAmount, "3");
    QTest::keyClick(Control(d, kAmount), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(messages_.beeps, 1) << "Enter ran OK's steps: no category yet";
    EXPECT_EQ(Focused(), Control(d, kCategory));
    Choose(d, kCategory, "Food");
    // Only the title bar's OK is left to confirm.
    QTest::mouseClick(screen_.Navigation().TitleButton(), Qt::LeftButton);
  });
  EXPECT_EQ(RunTransactionDialog(*program_, *host_), end_code::kTransactionOk);
  EXPECT_EQ(program_->workMoney.amount, 300);
}

TEST_F(TransactionDialogTest, AmountAndMemoFieldsStopAtTheirLimits) {
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    TypeText(&d, kAmount, "12345678901234567");
    EXPECT_EQ(Control<QLineEdit>(d, kAmount)->text().size(), 13);
    TypeText(&d, kMemo, QString(40, QChar('m')));
    EXPECT_EQ(Control<QLineEdit>(d, kMemo)->text().size(), 30);
    Click(&d, kCancel);
  });
  RunTransactionDialog(*program_, *host_);
}

}  // namespace
}  // namespace quidora::testing
