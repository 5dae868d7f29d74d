#include "platform/ui/input_panel_rules.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>
#include <algorithm>

#include "platform/ui/input_panel.h"

namespace quidora::ui {
namespace {

bool Holds(const std::vector<QObject*>& objects, const QObject* object) {
  return std::find(objects.begin(), objects.end(), object) != objects.end();
}

}  // namespace

void DropDownList::showPopup() {
  emit ListOpened();
  QComboBox::showPopup();
}

void DropDownList::hidePopup() {
  QComboBox::hidePopup();
  emit ListClosed();
}

InputPanelRules::InputPanelRules(InputPanel& panel, QObject* parent, AfterPopup afterPopup)
    : QObject(parent), panel_(panel), afterPopup_(afterPopup) {}

void InputPanelRules::WatchTextField(QLineEdit* field) {
  textFields_.push_back(field);
  connect(field, &QObject::destroyed, this, [this](QObject* gone) {
    textFields_.erase(std::remove(textFields_.begin(), textFields_.end(), gone), textFields_.end());
  });
  field->installEventFilter(this);
}

void InputPanelRules::WatchDropDown(DropDownList* list) {
  connect(list, &DropDownList::ListOpened, this, &InputPanelRules::PopupOpened);
  connect(list, &DropDownList::ListClosed, this, &InputPanelRules::PopupClosed);
}

void InputPanelRules::WatchDatePicker(QDateEdit* picker) {
  // The calendar lives in a popup window of its own, made with the picker; its showing and
  // hiding are the calendar opening and closing.
  QObject* calendar = picker->calendarWidget()->window();
  calendars_.push_back(calendar);
  connect(calendar, &QObject::destroyed, this, [this](QObject* gone) {
    calendars_.erase(std::remove(calendars_.begin(), calendars_.end(), gone), calendars_.end());
  });
  calendar->installEventFilter(this);
}

void InputPanelRules::PopupOpened() {
  panel_.Lower();
}

void InputPanelRules::PopupClosed() {
  if (afterPopup_ == AfterPopup::RaisePanel) panel_.Raise();
}

bool InputPanelRules::eventFilter(QObject* watched, QEvent* event) {
  if (Holds(calendars_, watched)) {
    if (event->type() == QEvent::Show) PopupOpened();
    if (event->type() == QEvent::Hide) PopupClosed();
  } else if (event->type() == QEvent::FocusIn && Holds(textFields_, watched)) {
    panel_.Raise();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace quidora::ui
