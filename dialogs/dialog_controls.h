// Pieces shared by the editing dialogs: labels, the selection rule of the name drop-downs, the
// dialog font, and the conversions between the record dates and the date picker. The
// input-panel rules and the drop-down list that tells when it opens are in
// platform/ui/input_panel_rules.h; the dialog base with its placement table in table_dialog.h;
// headings in heading.h; the sortable report list in report_list.h.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QDate>
#include <QPoint>
#include <QRect>
#include <QString>
#include <string_view>
#include <vector>

#include "core/date.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QWidget;

namespace quidora {

namespace platform {
class Clock;
}

namespace dialogs {

// Fills `list` with `names` sorted as a sorted drop-down keeps them (ignoring case).
void FillSortedDropDown(QComboBox* list, std::vector<std::u16string_view> names);
// Selects the entry equal to `name`, else the first entry that begins with it; an empty name or
// no match leaves the list without a selection. True when an entry was selected.
bool SelectByName(QComboBox* list, std::u16string_view name);

// A date picker with the calendar drop-down, showing dates in the order of `dateViewType`.
QDateEdit* MakeDatePicker(QWidget* parent, std::uint32_t dateViewType);
// The record's date for the picker; today's UTC date from `clock` when the record has none.
QDate PickerDate(const SystemTime& date, const platform::Clock& clock);
// The picker's date as a record date; the UTC date of `clock` when the picker holds none.
SystemTime ReadPicker(const QDateEdit* picker, const platform::Clock& clock);

// A label with the control identifier `id`.
QLabel* MakeLabel(QWidget* parent, int id, const QString& text);
// A label that shows a value (a sample, a total, a version) captioned by another label: assistive
// technology reads the value as its name and the caption (without its colon) as its description.
// Show its values with ShowValue.
QLabel* MakeValueLabel(QWidget* parent, int id, const QString& caption);
// Shows `value` in `label` and makes it the label's accessible name.
void ShowValue(QLabel* label, const QString& value);
// The handheld's dialog font: the system face at 11 pixels, so the labels of the layout tables
// fit their rectangles. Set it before the controls are made; they inherit it.
void UseDialogFont(QWidget* dialog);
// Puts the focus on `field` with its whole text selected.
void FocusAndSelect(QLineEdit* field);

}  // namespace dialogs
}  // namespace quidora
