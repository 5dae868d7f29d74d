#include "dialogs/accounts_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <string>

#include "core/sorts.h"
#include "dialogs/account_dialog.h"
#include "dialogs/accounts_list_view.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_host.h"
#include "dialogs/dialogs.h"
#include "dialogs/layout_table.h"
#include "dialogs/report_list.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "program/program.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::dialogs {
namespace {

constexpr int kBack = 1141;
constexpr int kNew = 1140;

// The list keeps its place in every layout; the buttons go below it, or beside it where the
// screen is wider than high.
const LayoutTable kLayout{
    {kBack, {240, 96, 73, 24}, {6, 156, 73, 24}},
    {kNew, {240, 68, 73, 24}, {159, 156, 73, 24}},
};

}  // namespace

AccountsDialog::AccountsDialog(Program& program, DialogHost& host)
    : FullScreenDialog(program.screen, QStringLiteral("Accounts"),
                       QStringLiteral("file:equidorappc.htm#Accounts")),
      program_(program),
      host_(host) {
  UseDialogFont(this);
  MakeHeading(this, ui::LoadQString(StringId::AccountsHint), QColor(255, 0, 128), QPoint(13, 3));
  list_ = CreateAccountsListView(this);
  back_ = ui::SetControlId(new QPushButton(QStringLiteral("Back"), this), kBack);
  new_ = ui::SetControlId(new QPushButton(QStringLiteral("New"), this), kNew);
  for (QPushButton* button : {back_, new_}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }

  connect(list_, &ReportList::HeaderTapped, this, &AccountsDialog::HeaderTapped);
  connect(list_, &ReportList::RowTapped, this, &AccountsDialog::RowTapped);
  connect(back_, &QPushButton::clicked, this, [this] { Leave(end_code::kAccountsBack); });
  connect(new_, &QPushButton::clicked, this, [this] {
    program_.accountsSelectedIndex = -1;
    Leave(end_code::kAccountsNew);
  });
}

void AccountsDialog::OnTitleOk() {
  Leave(end_code::kTitleOk);
}

void AccountsDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  kLayout.Apply(this, IsWideLayout(program_.screen) && width() >= 320);
}

void AccountsDialog::OnOpened() {
  sortColumn_ = program_.settings.sortAccountsBook;
  sortOrder_ = program_.settings.sortOrderAccountsBook;
  sortedColumn_ = list_->ShowStoredSort(sortColumn_, sortOrder_);
  if (!Sort()) {
    End(end_code::kAccountsFailed);
    return;
  }
  FillAccountsListView(list_, program_.accounts, program_.settings.dateTypeView);
  program_.screen.Panel().Lower();
  list_->setFocus(Qt::OtherFocusReason);
}

void AccountsDialog::OnActivated() {
  list_->setFocus(Qt::OtherFocusReason);
  list_->SelectRow(program_.accountsSelectedIndex);
  program_.screen.Panel().Lower();
}

bool AccountsDialog::Sort() {
  if (program_.accounts.empty()) return true;
  ui::WaitCursor wait(program_.messages);
  return sortedColumn_ == kCreatedColumn
             ? SortAccountsBookByDate(program_.accounts, sortOrder_, program_.messages)
             : SortAccountsBookByName(program_.accounts, sortOrder_, program_.messages);
}

void AccountsDialog::HeaderTapped(int column) {
  program_.screen.Panel().Lower();
  if (column != kAccountColumn && column != kCreatedColumn) return;
  const ColumnTap tap = list_->TapHeader(column, sortOrder_);
  sortOrder_ = tap.direction;
  sortColumn_ = tap.sortColumn;
  sortedColumn_ = column;
  if (Sort()) FillAccountsListView(list_, program_.accounts, program_.settings.dateTypeView);
}

void AccountsDialog::RowTapped(int row) {
  program_.screen.Panel().Lower();
  program_.accountsSelectedIndex = row;
  if (row < 0) return;
  const AccountRecord* tapped = program_.accounts.FindByPosition(static_cast<std::size_t>(row));
  if (tapped == nullptr) return;
  program_.accountEditFlag = 1;
  program_.workAccount.Reset();
  program_.workAccount.CopyFrom(*tapped);
  const std::u16string keptName(tapped->Name());

  const int code = AccountDialog(program_, host_, list_).Exec();
  if (code == end_code::kAccountOk && program_.accounts.FindByName(keptName) != nullptr &&
      UpdateAccountRecord(program_.store, program_.workAccount, program_.messages)) {
    ui::WaitCursor wait(program_.messages);
    const auto position = static_cast<std::size_t>(row);
    program_.accounts.FindByPosition(position);
    program_.accounts.ReplaceAt(position, program_.workAccount);
    const std::u16string newName(program_.workAccount.Name());
    if (host_.RemoveAccountChoice(keptName)) {
      host_.AddAccountChoice(newName);
      host_.SelectAccountChoice(newName);
    }
    UpdateAccountRow(list_, row, program_.accounts[position], program_.settings.dateTypeView);
    program_.currentAccount.Reset();
    if (const AccountRecord* edited = program_.accounts.FindByName(newName)) {
      program_.currentAccount.CopyFrom(*edited);
      SetLastAccount(program_.settings, newName);
    }
  }
}

void AccountsDialog::Leave(int code) {
  program_.settings.sortAccountsBook = sortColumn_;
  program_.settings.sortOrderAccountsBook = sortOrder_;
  End(code);
}

}  // namespace quidora::dialogs
