// Controls carry the identifiers of their dialog templates, so code and tests address them by
// number (1017 is the amount field wherever it is). The identifier is both the objectName (its
// decimal text) and the "controlId" property.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

namespace quidora::ui {

inline constexpr char kControlIdProperty[] = "controlId";

// Tags `control` with `id`; returns `control` so it can wrap a `new`.
template <class T>
T* SetControlId(T* control, int id) {
  control->setObjectName(QString::number(id));
  control->setProperty(kControlIdProperty, id);
  return control;
}

// The identifier of `control`, or -1 when it has none.
inline int ControlId(const QObject* control) {
  if (control == nullptr) return -1;
  const QVariant id = control->property(kControlIdProperty);
  return id.isValid() ? id.toInt() : -1;
}

// The control `id` of type T among the descendants of `root`, or nullptr.
template <class T = QWidget>
T* FindControl(const QObject* root, int id) {
  if (root == nullptr) return nullptr;
  return root->findChild<T*>(QString::number(id));
}

}  // namespace quidora::ui
