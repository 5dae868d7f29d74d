// Reading and tapping a report's list as a user sees it.
#pragma once

#include <QDateEdit>
#include <QHeaderView>
#include <QStringList>
#include <QTest>
#include <utility>

#include "dialogs/report_list.h"
#include "platform/ui/control_id.h"

namespace quidora::testing {

// Each row as "name amount image".
inline QStringList ReportRows(const dialogs::ReportList& list) {
  QStringList rows;
  for (int row = 0; row < list.RowCount(); ++row) {
    rows << QStringLiteral("%1 %2 %3")
                .arg(list.Text(row, 0), list.Text(row, 1))
                .arg(list.RowImage(row));
  }
  return rows;
}

inline std::pair<int, int> HeaderImages(const dialogs::ReportList& list) {
  return {static_cast<int>(list.HeaderImage(0)), static_cast<int>(list.HeaderImage(1))};
}

inline std::pair<int, int> ColumnWidths(const dialogs::ReportList& list) {
  return {list.columnWidth(0), list.columnWidth(1)};
}

inline void TapReportHeader(dialogs::ReportList& list, int column) {
  QHeaderView* header = list.header();
  const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

inline void PickDates(QWidget* dialog, int startId, int endId, QDate start, QDate end) {
  ui::FindControl<QDateEdit>(dialog, startId)->setDate(start);
  ui::FindControl<QDateEdit>(dialog, endId)->setDate(end);
}

}  // namespace quidora::testing
