// Pieces shared by the editing dialogs: drop-down lists that tell when their list opens and
// closes, the input-panel rules that every dialog with text fields follows, the selection rule of
// the name drop-downs, the painted headings, and the conversions between the record dates and the
// date picker.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QDate>
#include <QObject>
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
namespace ui {
class InputPanel;
}

namespace dialogs {

// A drop-down list that signals when its list opens and closes.
class DropDownList : public QComboBox {
  Q_OBJECT

 public:
  explicit DropDownList(QWidget* parent = nullptr) : QComboBox(parent) {}
  void showPopup() override;
  void hidePopup() override;

 signals:
  void ListOpened();
  void ListClosed();
};

// Raises the input panel when a text field takes the focus and when a drop-down list or a date
// picker's calendar closes; lowers it when one of those opens.
class InputPanelRules : public QObject {
  Q_OBJECT

 public:
  InputPanelRules(ui::InputPanel& panel, QObject* parent);
  void WatchTextField(QLineEdit* field);
  void WatchDropDown(DropDownList* list);
  void WatchDatePicker(QDateEdit* picker);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ui::InputPanel& panel_;
  QObject* calendarPopup_ = nullptr;
};

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

// A heading drawn in the dialog's own font: "Times New Roman", 10 points, weight 800, `color`.
QLabel* MakeHeading(QWidget* parent, const QString& text, const QColor& color, QPoint at);
// The handheld's dialog font: the system face at 11 pixels, so the labels of the layout tables
// fit their rectangles. Set it before the controls are made; they inherit it.
void UseDialogFont(QWidget* dialog);
// Puts the focus on `field` with its whole text selected.
void FocusAndSelect(QLineEdit* field);
// Moves a control to the rectangle (left, top, width, height) of a layout table.
void Place(QWidget* control, const QRect& rect);

}  // namespace dialogs
}  // namespace quidora
