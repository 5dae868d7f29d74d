#include "dialogs/dialog_controls.h"

#include <QDateEdit>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "core/sorts.h"
#include "platform/clock.h"
#include "platform/ui/control_id.h"
#include "platform/ui/text.h"

namespace quidora::dialogs {

void FillSortedDropDown(QComboBox* list, std::vector<std::u16string_view> names) {
  std::stable_sort(names.begin(), names.end(), [](std::u16string_view a, std::u16string_view b) {
    return CompareNamesIgnoringCase(a, b) < 0;
  });
  list->clear();
  for (std::u16string_view name : names) list->addItem(ui::ToQString(name));
  list->setCurrentIndex(-1);
}

bool SelectByName(QComboBox* list, std::u16string_view name) {
  int index = -1;
  if (!name.empty()) {
    const QString wanted = ui::ToQString(name);
    index = list->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) index = list->findText(wanted, Qt::MatchStartsWith | Qt::MatchCaseSensitive);
  }
  list->setCurrentIndex(index);
  return index >= 0;
}

QDateEdit* MakeDatePicker(QWidget* parent, std::uint32_t dateViewType) {
  auto* picker = new QDateEdit(parent);
  picker->setCalendarPopup(true);
  switch (dateViewType) {
    case kDateDayMonthSlash:
      picker->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
      break;
    case kDateMonthDayDash:
      picker->setDisplayFormat(QStringLiteral("MM-dd-yyyy"));
      break;
    case kDateMonthDaySlash:
      picker->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
      break;
    default:
      picker->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
      break;
  }
  picker->setMinimumDate(QDate(1000, 1, 1));
  picker->setMaximumDate(QDate(9999, 12, 31));
  return picker;
}

namespace {

QDate ToQDate(const SystemTime& date) {
  return QDate(date.year, date.month, date.day);
}

}  // namespace

QDate PickerDate(const SystemTime& date, const platform::Clock& clock) {
  const QDate asked = ToQDate(date);
  if (asked.isValid() && DateNumberOf(date).has_value()) return asked;
  return ToQDate(clock.NowUtc());
}

SystemTime ReadPicker(const QDateEdit* picker, const platform::Clock& clock) {
  const QDate date = picker->date();
  if (!date.isValid()) return clock.NowUtc();
  SystemTime result;
  result.year = static_cast<std::uint16_t>(date.year());
  result.month = static_cast<std::uint16_t>(date.month());
  result.day = static_cast<std::uint16_t>(date.day());
  result.dayOfWeek = static_cast<std::uint16_t>(date.dayOfWeek() % 7);  // Sunday is 0
  return result;
}

QLabel* MakeLabel(QWidget* parent, int id, const QString& text) {
  return ui::SetControlId(new QLabel(text, parent), id);
}

QLabel* MakeValueLabel(QWidget* parent, int id, const QString& caption) {
  QLabel* label = MakeLabel(parent, id, QString());
  QString description = caption;
  description.remove(u'&');
  description = description.trimmed();
  if (description.endsWith(u':')) description.chop(1);
  label->setAccessibleDescription(description.trimmed());
  return label;
}

void ShowValue(QLabel* label, const QString& value) {
  label->setText(value);
  label->setAccessibleName(value);
}

void UseDialogFont(QWidget* dialog) {
  QFont font = dialog->font();
  font.setPixelSize(11);
  dialog->setFont(font);
}

void FocusAndSelect(QLineEdit* field) {
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

}  // namespace quidora::dialogs
