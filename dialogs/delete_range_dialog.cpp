#include "dialogs/delete_range_dialog.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <string>

#include "core/text_ops.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialogs.h"
#include "dialogs/layout_table.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "program/program.h"
#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora::dialogs {
namespace {

enum ControlIds {
  kStart = 1040,
  kEnd = 1041,
  kFind = 1042,
  kCancel = 1043,
  // The group and its labels have no number of their own; these only place them.
  kGroup = 1900,
  kStartLabel = 1901,
  kEndLabel = 1902,
};

const QColor kBlue(0, 0, 255);

// In the wide layout the buttons stand right of the group, in the tall one below it.
const LayoutTable kLayout{
    {kGroup, {6, 30, 200, 88}, {6, 32, 228, 88}},
    {kStartLabel, {16, 54, 50, 20}, {16, 56, 50, 20}},
    {kStart, {70, 52, 126, 22}, {70, 54, 150, 22}},
    {kEndLabel, {16, 86, 50, 20}, {16, 88, 50, 20}},
    {kEnd, {70, 84, 126, 22}, {70, 86, 150, 22}},
    {kFind, {214, 40, 100, 24}, {7, 134, 110, 24}},
    {kCancel, {214, 76, 100, 24}, {123, 134, 110, 24}},
};

}  // namespace

DeleteRangeDialog::DeleteRangeDialog(Program& program)
    : FullScreenDialog(program.screen, QStringLiteral("Delete by Range"),
                       QStringLiteral("file:equidorappc.htm#Moneyrecords")),
      program_(program) {
  UseDialogFont(this);
  MakeHeading(this, ui::LoadQString(StringId::DeleteByRangeHeading), kBlue, QPoint(6, 4));
  ui::SetControlId(new QGroupBox(QStringLiteral("Define Date range"), this), kGroup);
  auto* startLabel = ui::SetControlId(new QLabel(QStringLiteral("Starts:"), this), kStartLabel);
  start_ = ui::SetControlId(MakeDatePicker(this, program.settings.dateTypeView), kStart);
  auto* endLabel = ui::SetControlId(new QLabel(QStringLiteral("Ends:"), this), kEndLabel);
  end_ = ui::SetControlId(MakeDatePicker(this, program.settings.dateTypeView), kEnd);
  auto* find = ui::SetControlId(new QPushButton(QStringLiteral("Find Records"), this), kFind);
  auto* cancel = ui::SetControlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);

  for (auto [label, picker] : {std::pair{startLabel, start_}, std::pair{endLabel, end_}}) {
    label->setBuddy(picker);
    picker->setAccessibleName(label->text().chopped(1));
  }
  for (QPushButton* button : {find, cancel}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }
  SetDefaultButton(find);

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this,
                                        ui::InputPanelRules::AfterPopup::LeavePanelDown);
  rules->WatchDatePicker(start_);
  rules->WatchDatePicker(end_);

  connect(find, &QPushButton::clicked, this, &DeleteRangeDialog::FindRecords);
  connect(cancel, &QPushButton::clicked, this, [this] { End(end_code::kDeleteRangeCancel); });
  kLayout.Apply(this, IsWideLayout(program_.screen));
}

void DeleteRangeDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  kLayout.Apply(this, IsWideLayout(program_.screen));
}

void DeleteRangeDialog::paintEvent(QPaintEvent* event) {
  FullScreenDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(QPen(kBlue, 1));
  painter.drawLine(1, 23, 235, 23);
}

void DeleteRangeDialog::OnOpened() {
  start_->setDate(PickerDate(program_.rangeStartDate, program_.clock));
  end_->setDate(PickerDate(program_.rangeEndDate, program_.clock));
  kLayout.Apply(this, IsWideLayout(program_.screen));
  start_->setFocus(Qt::OtherFocusReason);
  program_.screen.Panel().Lower();
}

void DeleteRangeDialog::OnActivated() {
  program_.screen.Panel().Lower();
}

void DeleteRangeDialog::OnTitleOk() {
  End(end_code::kDeleteRangeCancel);
}

bool DeleteRangeDialog::CollectRange() {
  program_.rangeStart.Reset();
  program_.rangeStart.SetDate(ReadPicker(start_, program_.clock));
  program_.rangeEnd.Reset();
  program_.rangeEnd.SetDate(ReadPicker(end_, program_.clock));
  const std::uint32_t first = program_.rangeStart.DateNumber();
  const std::uint32_t last = program_.rangeEnd.DateNumber();
  if (first > last) return false;

  program_.range.Clear();
  // The money list holds the shown account's records; the account test keeps another
  // account's record out even if one were there.
  for (const MoneyRecord& record : program_.money) {
    if (record.accountKey == program_.currentAccount.key &&
        IsInDateRange(record.DateNumber(), first, last)) {
      program_.range.Append(record);
    }
  }
  return true;
}

void DeleteRangeDialog::FindRecords() {
  if (!CollectRange()) {
    program_.messages.Show(LoadString(StringId::StartsAfterEnds), MessageIcon::Exclamation);
    start_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (program_.range.empty()) {
    program_.messages.Show(LoadString(StringId::NoRecordsFound), MessageIcon::Exclamation);
    start_->setFocus(Qt::OtherFocusReason);
    return;
  }
  const std::u16string question =
      ui::ToU16String(QString::number(static_cast<qulonglong>(program_.range.size()))) + u" " +
      std::u16string(LoadString(StringId::RecordsWillBeDeleted));
  if (program_.messages.Show(TrimSpaces(question), MessageIcon::Exclamation,
                             MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  {
    ui::WaitCursor wait(program_.messages);
    // All or none: a failure is shown by the store and leaves every record in place; either
    // way the list is read back so that the view shows what the store holds.
    DeleteMoneyRecords(program_.store, program_.range, program_.messages);
    LoadAccountMoneyRecords(program_.store, program_.money, program_.currentAccount,
                            program_.messages);
  }
  End(end_code::kDeleteRangeDone);
}

}  // namespace quidora::dialogs
