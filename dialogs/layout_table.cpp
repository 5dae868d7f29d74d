#include "dialogs/layout_table.h"

#include <QWidget>

#include "platform/ui/control_id.h"

namespace quidora::dialogs {

void LayoutTable::Apply(QWidget* root, bool wide) const {
  for (const Placement& placement : placements_) {
    const QRect& rect = wide ? placement.wide : placement.tall;
    if (rect.isEmpty()) continue;
    if (QWidget* control = ui::FindControl(root, placement.id)) control->setGeometry(rect);
  }
}

QRect LayoutTable::Rect(int id, bool wide) const {
  for (const Placement& placement : placements_) {
    if (placement.id == id) return wide ? placement.wide : placement.tall;
  }
  return {};
}

}  // namespace quidora::dialogs
