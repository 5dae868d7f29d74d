// Controls carry the identifiers of their templates in the "controlId" property, so that code
// and tests address them by number.
#pragma once

#include <QWidget>

namespace quidora::setup {

inline constexpr int kInstallButtonId = 1000;
inline constexpr int kCancelButtonId = 1001;
inline constexpr int kWaitTextId = 1003;
inline constexpr char kControlIdProperty[] = "controlId";

inline void SetControlId(QWidget* control, int id) {
  control->setProperty(kControlIdProperty, id);
}

template <typename Control = QWidget>
Control* FindControl(const QWidget* dialog, int id) {
  for (Control* child : dialog->findChildren<Control*>()) {
    if (child->property(kControlIdProperty).toInt() == id) return child;
  }
  return nullptr;
}

}  // namespace quidora::setup
