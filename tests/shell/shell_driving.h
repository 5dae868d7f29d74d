// Taps and choices on the main window's controls, as a user makes them.
#pragma once

#include <gtest/gtest.h>
#include <QComboBox>
#include <QHeaderView>
#include <QString>
#include <QTest>

#include "platform/ui/control_id.h"
#include "shell/money_list_view.h"

namespace quidora::testing {

inline void TapRow(MoneyListView& list, int row) {
  const QRect rect = list.visualRect(list.model()->index(row, 0));
  ASSERT_TRUE(rect.isValid()) << "row " << row << " is not shown";
  list.scrollTo(list.model()->index(row, 0));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualRect(list.model()->index(row, 0)).center());
}

inline void TapHeader(MoneyListView& list, int column) {
  QHeaderView* header = list.header();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// Picks the entry `text` of the drop-down `id` inside `root`.
inline void ChooseEntry(QWidget* root, int id, const QString& text) {
  auto* box = ui::FindControl<QComboBox>(root, id);
  ASSERT_NE(box, nullptr) << "no drop-down " << id;
  const int index = box->findText(text);
  ASSERT_GE(index, 0) << "no entry " << text.toStdString() << " in " << id;
  box->setCurrentIndex(index);
  emit box->activated(index);
}

}  // namespace quidora::testing
