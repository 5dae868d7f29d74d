#include "dialogs/account_dialog.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <string>

#include "core/text_ops.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_host.h"
#include "dialogs/dialogs.h"
#include "dialogs/layout_table.h"
#include "dialogs/report_list.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "program/program.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::dialogs {
namespace {

enum ControlIds {
  kDateLabel = 1131,
  kDate = 1132,
  kNameLabel = 1133,
  kName = 1134,
  kDescriptionLabel = 1135,
  kDescription = 1136,
  kBack = 1137,
  kOk = 1138,
  kDelete = 1139,
};

constexpr int kNameLimit = 40;
constexpr int kDescriptionLimit = 50;
const QColor kBlue(0, 0, 255);

// OK stands in the tall layout only; the title-bar OK does its work in the wide one.
const LayoutTable kLayout{
    {kDateLabel, {10, 10, 35, 18}, {10, 35, 35, 21}},
    {kDate, {70, 8, 100, 18}, {70, 33, 100, 21}},
    {kNameLabel, {10, 33, 55, 18}, {10, 60, 55, 21}},
    {kName, {70, 31, 159, 18}, {70, 58, 159, 21}},
    {kDescriptionLabel, {10, 52, 65, 18}, {10, 83, 65, 21}},
    {kDescription, {10, 68, 219, 18}, {10, 100, 219, 21}},
    {kBack, {240, 62, 73, 24}, {5, 140, 73, 24}},
    {kOk, {}, {161, 140, 73, 24}},
    {kDelete, {240, 24, 73, 24}, {83, 140, 73, 24}},
};

}  // namespace

AccountDialog::AccountDialog(Program& program, DialogHost& host, ReportList* accountsList)
    : FullScreenDialog(program.screen, QStringLiteral("Account"),
                       QStringLiteral("file:equidorappc.htm#Accounts")),
      program_(program),
      host_(host),
      accountsList_(accountsList) {
  UseDialogFont(this);
  heading_ = MakeHeading(this, QStringLiteral("Account"), kBlue, QPoint(6, 4));
  auto* dateLabel = ui::SetControlId(new QLabel(QStringLiteral("Date:"), this), kDateLabel);
  date_ = ui::SetControlId(MakeDatePicker(this, program.settings.dateTypeView), kDate);
  auto* nameLabel = ui::SetControlId(new QLabel(QStringLiteral("Account:"), this), kNameLabel);
  name_ = ui::SetControlId(new QLineEdit(this), kName);
  name_->setMaxLength(kNameLimit);
  auto* descriptionLabel =
      ui::SetControlId(new QLabel(QStringLiteral("Description:"), this), kDescriptionLabel);
  description_ = ui::SetControlId(new QLineEdit(this), kDescription);
  description_->setMaxLength(kDescriptionLimit);
  back_ = ui::SetControlId(new QPushButton(QStringLiteral("Back"), this), kBack);
  ok_ = ui::SetControlId(new QPushButton(QStringLiteral("OK"), this), kOk);
  delete_ = ui::SetControlId(new QPushButton(QStringLiteral("Delete"), this), kDelete);
  delete_->hide();

  const std::pair<QLabel*, QWidget*> buddies[] = {
      {dateLabel, date_}, {nameLabel, name_}, {descriptionLabel, description_}};
  for (auto [label, field] : buddies) {
    label->setBuddy(field);
    field->setAccessibleName(label->text().chopped(1));
  }
  for (QPushButton* button : {back_, ok_, delete_}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this);
  rules->WatchTextField(name_);
  rules->WatchTextField(description_);
  rules->WatchDatePicker(date_);

  connect(ok_, &QPushButton::clicked, this, &AccountDialog::Confirm);
  connect(back_, &QPushButton::clicked, this, &AccountDialog::Back);
  connect(delete_, &QPushButton::clicked, this, &AccountDialog::Delete);
  Arrange();
}

void AccountDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  Arrange();
}

void AccountDialog::Arrange() {
  const bool wide = IsWideLayout(program_.screen);
  kLayout.Apply(this, wide);
  heading_->setVisible(!wide);
  ok_->setVisible(!wide);
  update();
}

void AccountDialog::paintEvent(QPaintEvent* event) {
  FullScreenDialog::paintEvent(event);
  if (IsWideLayout(program_.screen)) return;
  QPainter painter(this);
  painter.setPen(QPen(kBlue, 1));
  painter.drawLine(4, 23, 235, 23);
}

void AccountDialog::OnOpened() {
  program_.openDialog = this;
  const AccountRecord& account = program_.workAccount;
  date_->setDate(PickerDate(account.Date(), program_.clock));
  name_->setText(ui::ToQString(account.Name()));
  description_->setText(ui::ToQString(account.Description()));
  delete_->setVisible(program_.accountEditFlag == 1);
  Arrange();
  FocusAndSelect(name_);
  program_.screen.Panel().Raise();
}

void AccountDialog::Confirm() {
  program_.screen.Panel().Lower();
  const SystemTime date = ReadPicker(date_, program_.clock);
  program_.workAccount.SetDate(date);
  program_.today = date;

  const std::u16string typed = ui::ToU16String(name_->text());
  const std::u16string_view name = TrimSpaces(typed);
  if (name.empty()) {
    name_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!IsValidName(name)) {
    program_.messages.Show(LoadString(StringId::InvalidName), MessageIcon::Exclamation);
    FocusAndSelect(name_);
    return;
  }
  const AccountRecord* same = program_.accounts.FindByName(name);
  if (same != nullptr && (program_.accountEditFlag == 0 || same->key != program_.workAccount.key)) {
    program_.messages.Show(LoadString(StringId::AccountExists), MessageIcon::Exclamation);
    FocusAndSelect(name_);
    return;
  }
  program_.workAccount.SetName(name);

  const std::u16string description = ui::ToU16String(description_->text());
  program_.workAccount.SetDescription(TrimSpaces(description));

  program_.openDialog = nullptr;
  End(end_code::kAccountOk);
}

void AccountDialog::Back() {
  program_.openDialog = nullptr;
  End(end_code::kAccountBack);
}

void AccountDialog::Delete() {
  ui::InputPanel& panel = program_.screen.Panel();
  panel.Lower();
  if (program_.messages.Show(LoadString(StringId::DeleteAccountQuestion), MessageIcon::Exclamation,
                             MessageButtons::YesNo) != MessageAnswer::Yes) {
    FocusAndSelect(name_);
    panel.Raise();
    return;
  }
  const int index = program_.accountsSelectedIndex;
  if (index < 0) return;

  ui::WaitCursor wait(program_.messages);
  const AccountRecord* account = program_.accounts.FindByPosition(static_cast<std::size_t>(index));
  if (account == nullptr) return;
  const std::uint32_t key = account->key;
  const std::u16string name(account->Name());
  if (!DeleteAccountRecord(program_.store, key, program_.messages)) return;

  // A failure here is reported by the store and does not keep the account.
  DeleteAccountMoneyRecords(program_.store, key, program_.messages);
  LoadAccountMoneyRecords(program_.store, program_.money, program_.currentAccount,
                          program_.messages);

  program_.accounts.RemoveAt(static_cast<std::size_t>(index));
  if (accountsList_ != nullptr) accountsList_->RemoveRow(index);
  host_.RemoveAccountChoice(name);
  // Copies of its deleted records would come back under an account that no longer exists.
  host_.DropDeletedOfAccount(key);

  if (!program_.accounts.empty() && name == program_.currentAccount.Name()) {
    const AccountRecord& first = program_.accounts[0];
    program_.currentAccount.CopyFrom(first);
    SetLastAccount(program_.settings, first.Name());
    host_.SelectAccountChoice(first.Name());
  } else if (program_.accounts.empty()) {
    program_.currentAccount.Reset();
    host_.UpdateCommandStates();
  }

  program_.openDialog = nullptr;
  End(end_code::kAccountBack);
}

}  // namespace quidora::dialogs
