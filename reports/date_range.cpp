#include "reports/date_range.h"

#include <QDateEdit>

#include "dialogs/dialog_controls.h"
#include "platform/ui/control_id.h"
#include "resources/strings/string_table.h"
#include "program/program.h"

namespace quidora::reports {

DateRangePickers MakeRangePickers(QWidget* parent, const Program& program, int startId,
                                  int endId) {
  const std::uint32_t view = program.settings.dateTypeView;
  DateRangePickers pickers{ui::SetControlId(dialogs::MakeDatePicker(parent, view), startId),
                           ui::SetControlId(dialogs::MakeDatePicker(parent, view), endId)};
  pickers.start->setAccessibleName(QStringLiteral("Starts"));
  pickers.end->setAccessibleName(QStringLiteral("Ends"));
  pickers.start->setDate(dialogs::PickerDate(program.rangeStartDate, program.clock));
  pickers.end->setDate(dialogs::PickerDate(program.rangeEndDate, program.clock));
  return pickers;
}

PickedRange AcceptRange(Program& program, const DateRangePickers& pickers) {
  PickedRange range{dialogs::ReadPicker(pickers.start, program.clock),
                    dialogs::ReadPicker(pickers.end, program.clock), false};
  const auto start = DateNumberOf(range.start);
  const auto end = DateNumberOf(range.end);
  if (!start || !end || *start > *end) {
    program.messages.Show(LoadString(StringId::StartsAfterEnds), MessageIcon::Exclamation);
    pickers.start->setFocus(Qt::OtherFocusReason);
    return range;
  }
  program.rangeStartDate = range.start;
  program.rangeEndDate = range.end;
  range.accepted = true;
  return range;
}

}  // namespace quidora::reports
