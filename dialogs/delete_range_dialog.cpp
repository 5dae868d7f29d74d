#include "dialogs/delete_range_dialog.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <cstddef>
#include <optional>
#include <string>

#include "core/text_ops.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_host.h"
#include "dialogs/dialogs.h"
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

DeleteRangeDialog::DeleteRangeDialog(Program& program, DialogHost& host)
    : TableDialog(program.screen, QStringLiteral("Delete by Range"),
                  QStringLiteral("file:equidorappc.htm#Moneyrecords"), kLayout),
      program_(program),
      host_(host) {
  AddHeading(ui::LoadQString(StringId::DeleteByRangeHeading), kBlue, QPoint(6, 4),
             QLine(1, 23, 235, 23));
  SetPanelOnActivation(PanelOnActivation::LowerWhenActivated);
  ui::SetControlId(new QGroupBox(QStringLiteral("Define Date range"), this), kGroup);
  MakeLabel(this, kStartLabel, QStringLiteral("Starts:"))->setBuddy(
      start_ = ui::SetControlId(MakeDatePicker(this, program.settings.dateTypeView), kStart));
  MakeLabel(this, kEndLabel, QStringLiteral("Ends:"))->setBuddy(
      end_ = ui::SetControlId(MakeDatePicker(this, program.settings.dateTypeView), kEnd));
  auto* find = ui::SetControlId(new QPushButton(QStringLiteral("Find Records"), this), kFind);
  auto* cancel = ui::SetControlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
  SetDefaultButton(find);

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this,
                                        ui::InputPanelRules::AfterPopup::LeavePanelDown);
  rules->WatchDatePicker(start_);
  rules->WatchDatePicker(end_);

  connect(find, &QPushButton::clicked, this, &DeleteRangeDialog::FindRecords);
  connect(cancel, &QPushButton::clicked, this, [this] { End(end_code::kDeleteRangeCancel); });
}

void DeleteRangeDialog::OnOpened() {
  start_->setDate(PickerDate(program_.rangeStartDate, program_.clock));
  end_->setDate(PickerDate(program_.rangeEndDate, program_.clock));
  start_->setFocus(Qt::OtherFocusReason);
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

  // The copies of the range's records stay in the program's state as they always did; the
  // deletion itself finds the stored records through the store's date order.
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
  const std::uint32_t account = program_.currentAccount.key;
  const std::uint32_t first = program_.rangeStart.DateNumber();
  const std::uint32_t last = program_.rangeEnd.DateNumber();
  // Counted where they are deleted from: the question names what Yes takes away.
  const std::optional<std::size_t> count =
      CountMoneyRecordsInRange(program_.store, account, first, last, program_.messages);
  if (!count) {
    start_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (*count == 0) {
    program_.messages.Show(LoadString(StringId::NoRecordsFound), MessageIcon::Exclamation);
    start_->setFocus(Qt::OtherFocusReason);
    return;
  }
  const std::u16string question =
      ui::ToU16String(QString::number(static_cast<qulonglong>(*count))) + u" " +
      std::u16string(LoadString(StringId::RecordsWillBeDeleted));
  if (program_.messages.Show(TrimSpaces(question), MessageIcon::Exclamation,
                             MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  {
    ui::WaitCursor wait(program_.messages);
    // All or none: a failure is shown by the store and leaves every record in place; either
    // way the list is read back so that the view shows what the store holds.
    DeleteMoneyRecordsInRange(program_.store, account, first, last, program_.messages);
    LoadAccountMoneyRecords(program_.store, program_.money, program_.currentAccount,
                            program_.messages);
  }
  host_.MoneyListReloaded();
  End(end_code::kDeleteRangeDone);
}

}  // namespace quidora::dialogs
