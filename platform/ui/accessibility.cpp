#include "platform/ui/accessibility.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <cstdlib>

namespace quidora::ui {
namespace {

QString Plain(QString text) {
  text.remove(QLatin1Char('&'));
  return text.trimmed();
}

// A label's text names a field without its trailing colon ("Amount:" names "Amount").
QString FieldName(const QString& labelText) {
  QString name = Plain(labelText);
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  return name.trimmed();
}

// The label that sits on the same row, left of `field`, among its siblings: dialogs placed by
// coordinates have their labels there even when no buddy was set.
QLabel* LabelLeftOf(QWidget* field) {
  QWidget* parent = field->parentWidget();
  if (parent == nullptr) return nullptr;
  const QRect box = field->geometry();
  QLabel* best = nullptr;
  int bestGap = 0;
  for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    const QRect l = label->geometry();
    if (label->text().isEmpty() || l.right() > box.left()) continue;
    if (std::abs(l.center().y() - box.center().y()) > box.height() / 2 + 2) continue;
    const int gap = box.left() - l.right();
    if (best == nullptr || gap < bestGap) {
      best = label;
      bestGap = gap;
    }
  }
  return best;
}

bool IsField(const QWidget* w) {
  return !qobject_cast<const QLabel*>(w) && !qobject_cast<const QAbstractButton*>(w) &&
         w->focusPolicy() != Qt::NoFocus;
}

}  // namespace

void NameControls(QWidget* root) {
  if (root == nullptr) return;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);

  // Labels first, so that their buddies take the label's text.
  for (QWidget* w : widgets) {
    auto* label = qobject_cast<QLabel*>(w);
    if (label == nullptr || label->text().isEmpty()) continue;
    if (label->accessibleName().isEmpty()) label->setAccessibleName(Plain(label->text()));
    if (QWidget* buddy = label->buddy(); buddy && buddy->accessibleName().isEmpty()) {
      buddy->setAccessibleName(FieldName(label->text()));
    }
  }
  for (QWidget* w : widgets) {
    if (!w->accessibleName().isEmpty()) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      const QString text = Plain(button->text());
      button->setAccessibleName(text.isEmpty() ? Plain(button->toolTip()) : text);
    } else if (IsField(w)) {
      if (QLabel* label = LabelLeftOf(w)) {
        w->setAccessibleName(FieldName(label->text()));
      } else if (!w->toolTip().isEmpty()) {
        w->setAccessibleName(Plain(w->toolTip()));
      }
    }
  }
}

}  // namespace quidora::ui
