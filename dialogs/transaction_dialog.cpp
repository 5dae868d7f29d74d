#include "dialogs/transaction_dialog.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>
#include <vector>

#include "core/amount_text.h"
#include "core/text_ops.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_host.h"
#include "dialogs/dialogs.h"
#include "dialogs/layout_table.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "program/program.h"
#include "store/record_writes.h"

namespace quidora::dialogs {
namespace {

enum ControlIds {
  kDateLabel = 1014,
  kDate = 1015,
  kAmountLabel = 1016,
  kAmount = 1017,
  kTypeLabel = 1018,
  kIncomeButton = 1019,
  kExpenseButton = 1020,
  kCategoryLabel = 1021,
  kCategory = 1022,
  kAccountLabel = 1023,
  kAccount = 1024,
  kMemoLabel = 1025,
  kMemo = 1026,
  kCancel = 1027,
  kOk = 1028,
  kDelete = 1029,
};

constexpr int kAmountLimit = 13;
constexpr int kMemoLimit = 30;
// How much of a drop-down's text is read.
constexpr int kCategoryTextLimit = 39;
constexpr int kAccountTextLimit = 79;

// The drop-down heights include their lists; the closed box takes the height of a text field.
// "Type:" and OK stand in the tall layout only; the title-bar OK does OK's work in the wide one.
const LayoutTable kLayout{
    {kDateLabel, {5, 6, 33, 18}, {5, 8, 33, 20}},
    {kDate, {65, 4, 90, 18}, {65, 6, 90, 20}},
    {kAmountLabel, {5, 26, 53, 18}, {5, 30, 53, 20}},
    {kAmount, {65, 24, 90, 18}, {65, 28, 90, 20}},
    {kTypeLabel, {}, {5, 52, 33, 20}},
    {kIncomeButton, {170, 15, 60, 18}, {65, 50, 70, 20}},
    {kExpenseButton, {240, 15, 70, 18}, {140, 50, 70, 20}},
    {kCategoryLabel, {5, 46, 55, 18}, {5, 74, 55, 20}},
    {kCategory, {65, 44, 145, 18}, {65, 72, 168, 20}},
    {kAccountLabel, {5, 68, 55, 18}, {5, 96, 55, 20}},
    {kAccount, {65, 66, 145, 18}, {65, 94, 168, 20}},
    {kMemoLabel, {5, 90, 39, 18}, {5, 118, 39, 20}},
    {kMemo, {65, 88, 145, 18}, {65, 116, 168, 20}},
    {kCancel, {235, 80, 73, 24}, {5, 148, 73, 24}},
    {kOk, {}, {161, 148, 73, 24}},
    {kDelete, {235, 52, 73, 24}, {83, 148, 73, 24}},
};

QLabel* MakeLabel(QWidget* parent, int id, const char* text) {
  return ui::SetControlId(new QLabel(QString::fromLatin1(text), parent), id);
}

}  // namespace

TransactionDialog::TransactionDialog(Program& program, DialogHost& host)
    : FullScreenDialog(program.screen, QStringLiteral("Specify amount"),
                       QStringLiteral("file:equidorappc.htm#Moneyrecords")),
      program_(program),
      host_(host) {
  UseDialogFont(this);
  dateLabel_ = MakeLabel(this, kDateLabel, "Date:");
  date_ = ui::SetControlId(MakeDatePicker(this, program.settings.dateTypeView), kDate);
  amountLabel_ = MakeLabel(this, kAmountLabel, "Amount:");
  amount_ = ui::SetControlId(new QLineEdit(this), kAmount);
  amount_->setMaxLength(kAmountLimit);
  typeLabel_ = MakeLabel(this, kTypeLabel, "Type:");
  income_ = ui::SetControlId(new QRadioButton(QStringLiteral("Income"), this), kIncomeButton);
  expense_ = ui::SetControlId(new QRadioButton(QStringLiteral("Expense"), this), kExpenseButton);
  categoryLabel_ = MakeLabel(this, kCategoryLabel, "Category:");
  category_ = ui::SetControlId(new ui::DropDownList(this), kCategory);
  accountLabel_ = MakeLabel(this, kAccountLabel, "Account:");
  account_ = ui::SetControlId(new ui::DropDownList(this), kAccount);
  memoLabel_ = MakeLabel(this, kMemoLabel, "Memo:");
  memo_ = ui::SetControlId(new QLineEdit(this), kMemo);
  memo_->setMaxLength(kMemoLimit);
  cancel_ = ui::SetControlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
  ok_ = ui::SetControlId(new QPushButton(QStringLiteral("OK"), this), kOk);
  delete_ = ui::SetControlId(new QPushButton(QStringLiteral("Delete"), this), kDelete);
  delete_->hide();

  const std::pair<QLabel*, QWidget*> buddies[] = {{dateLabel_, date_},
                                                  {amountLabel_, amount_},
                                                  {categoryLabel_, category_},
                                                  {accountLabel_, account_},
                                                  {memoLabel_, memo_}};
  for (auto [label, field] : buddies) {
    label->setBuddy(field);
    field->setAccessibleName(label->text().chopped(1));
  }
  income_->setAccessibleName(income_->text());
  expense_->setAccessibleName(expense_->text());
  for (QPushButton* button : {cancel_, ok_, delete_}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this);
  rules->WatchTextField(amount_);
  rules->WatchTextField(memo_);
  rules->WatchDropDown(category_);
  rules->WatchDropDown(account_);
  rules->WatchDatePicker(date_);

  connect(ok_, &QPushButton::clicked, this, &TransactionDialog::Confirm);
  connect(cancel_, &QPushButton::clicked, this, &TransactionDialog::Cancel);
  connect(delete_, &QPushButton::clicked, this, &TransactionDialog::Delete);
  Arrange();
}

void TransactionDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  Arrange();
}

void TransactionDialog::Arrange() {
  const bool wide = IsWideLayout(program_.screen);
  kLayout.Apply(this, wide);
  typeLabel_->setVisible(!wide);
  ok_->setVisible(!wide);
}

void TransactionDialog::OnOpened() {
  program_.openDialog = this;
  const MoneyRecord& record = program_.workMoney;
  date_->setDate(PickerDate(record.Date(), program_.clock));
  amount_->setText(ui::ToQString(record.AmountText(program_.settings.moneyTypeView).view()));
  (record.type == kExpense ? expense_ : income_)->setChecked(true);

  std::vector<std::u16string_view> names;
  for (const CategoryRecord& category : program_.categories) names.push_back(category.Name());
  FillSortedDropDown(category_, names);
  SelectByName(category_, record.Category());

  names.clear();
  for (const AccountRecord& account : program_.accounts) names.push_back(account.Name());
  FillSortedDropDown(account_, names);
  if (!program_.accounts.empty() && program_.currentAccount.HasName()) {
    SelectByName(account_, program_.currentAccount.Name());
  }

  memo_->setText(ui::ToQString(record.Memo()));
  delete_->setVisible(program_.transactionEditFlag != 0);
  Arrange();
  FocusAndSelect(amount_);
  program_.screen.Panel().Raise();
}

void TransactionDialog::Confirm() {
  const SystemTime date = ReadPicker(date_, program_.clock);
  program_.workMoney.SetDate(date);
  program_.today = date;

  if (!TakeAmount()) return;
  if (income_->isChecked()) {
    program_.workMoney.type = kIncome;
  } else if (expense_->isChecked()) {
    program_.workMoney.type = kExpense;
  }
  if (!TakeCategory()) return;
  if (!TakeAccount()) return;
  const std::u16string memo = ui::ToU16String(memo_->text());
  program_.workMoney.SetMemo(TrimSpaces(memo));

  program_.openDialog = nullptr;
  End(end_code::kTransactionOk);
}

bool TransactionDialog::TakeAmount() {
  if (amount_->text().isEmpty()) {
    program_.messages.Beep();
    amount_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  const std::u16string typed = ui::ToU16String(amount_->text());
  const std::u16string_view text = TrimSpaces(typed);
  const std::uint32_t grouping = program_.settings.moneyTypeView;
  const AmountCheck check = ValidateAmountText(text, grouping);
  if (check != AmountCheck::Accepted) {
    program_.screen.Panel().Lower();
    program_.messages.Show(LoadString(AmountCheckMessage(check, grouping)),
                           MessageIcon::Exclamation);
    FocusAndSelect(amount_);
    program_.screen.Panel().Raise();
    return false;
  }
  program_.workMoney.SetAmountFromText(text, grouping);
  return true;
}

bool TransactionDialog::TakeCategory() {
  const QString chosen = category_->currentText().left(kCategoryTextLimit);
  if (chosen.isEmpty()) {
    program_.messages.Beep();
    category_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  const std::u16string text = ui::ToU16String(chosen);
  program_.workMoney.SetCategory(TrimSpaces(text));
  return true;
}

bool TransactionDialog::TakeAccount() {
  const QString chosen = account_->currentText().left(kAccountTextLimit);
  if (chosen.isEmpty()) {
    program_.messages.Beep();
    account_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  const std::u16string text = ui::ToU16String(chosen);
  const AccountRecord* account = program_.accounts.FindByName(TrimSpaces(text));
  program_.workMoney.accountKey = account != nullptr ? account->key : program_.currentAccount.key;
  return true;
}

void TransactionDialog::Cancel() {
  program_.openDialog = nullptr;
  program_.workMoney.Reset();
  End(end_code::kTransactionCancel);
}

void TransactionDialog::Delete() {
  ui::InputPanel& panel = program_.screen.Panel();
  panel.Lower();
  if (program_.messages.Show(LoadString(StringId::DeleteRecordQuestion), MessageIcon::Exclamation,
                             MessageButtons::YesNo) != MessageAnswer::Yes) {
    FocusAndSelect(amount_);
    panel.Raise();
    return;
  }
  if (program_.savedRow < 0) return;
  const auto row = static_cast<std::size_t>(program_.savedRow);
  program_.workMoney.Reset();
  const MoneyRecord* shown = program_.money.FindByPosition(row);
  if (shown == nullptr) return;
  program_.workMoney.CopyFrom(*shown);

  if (!host_.PushDeleted(program_.workMoney)) return;

  const std::uint32_t key = program_.money[row].key;
  host_.RemoveMoneyRecordAndRow(program_.savedRow);
  DeleteMoneyRecord(program_.store, key, program_.messages);
  host_.UpdateCommandStates();

  program_.openDialog = nullptr;
  End(end_code::kTransactionDeleted);
}

}  // namespace quidora::dialogs
