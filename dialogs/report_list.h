// A report-style list with sortable columns, as the Accounts dialog and the reports use it:
// column titles and widths per layout, header images that show the sort column and direction
// (image 0 up, 1 down, 2 blank), a list-bitmap image at the start of each row (3 expense/
// negative, 4 income/positive, 5 blank, 6 zero), and one RowTapped per tap on a row or Enter.
// A report makes it when it shows its results and deletes it on Reset; rows are plain texts, so
// the report fills it from its own lists in their current order (row i is position i).
//
//   const ReportListSpec kSpec{501, {164, 13, 150, 110}, {7, 160, 223, 92},
//                              {{LoadQString(StringId::ReportCategoryColumn), 78, 110},
//                               {LoadQString(StringId::ReportAmountColumn), 85, 95}}};
//   list_ = new ReportList(this, kSpec, wide);
//   const int sorted = list_->ShowStoredSort(settings.sortRapport, settings.sortOrderRapport);
//   connect(list_, &ReportList::HeaderTapped, this, [this](int column) {
//     const ColumnTap tap = list_->TapHeader(column, sortOrder_);
//     sortOrder_ = tap.direction;
//     sortColumn_ = tap.sortColumn;
//     ...sort, then refill with Clear() and AddRow()
//   });
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <cstdint>
#include <vector>

#include "core/sorts.h"

namespace quidora::dialogs {

struct ReportColumn {
  QString title;
  int wideWidth;
  int tallWidth;
};

struct ReportListSpec {
  int controlId;
  QRect wide;  // where the list stands in the wide layout
  QRect tall;  // and in the 240 by 320 layout
  std::vector<ReportColumn> columns;
  // The list style without single selection lets Ctrl and Shift select several rows; a tap
  // still selects the tapped row alone.
  bool singleSelection = true;
};

class ReportList : public QTreeWidget {
  Q_OBJECT

 public:
  ReportList(QWidget* parent, ReportListSpec spec, bool wide);

  // Moves the list to the layout's rectangle and gives the columns that layout's widths.
  void SetLayout(bool wide);

  // The header image of `column`: 0 up arrow, 1 down arrow, 2 blank (any other value shows 2).
  void SetHeaderImage(int column, std::uint32_t image);
  std::uint32_t HeaderImage(int column) const;

  // Shows the arrow of a stored sort as the list opens: column `sortColumn` with the arrow of
  // `sortOrder` when the order is 0 or 1 and the column exists; otherwise column 0 with the
  // order's arrow, ascending when no order was chosen (2). Every other column shows the blank
  // image. Returns the column by which the list is to be sorted. The stored values are the
  // caller's and stay as they were read.
  int ShowStoredSort(std::uint32_t sortColumn, std::uint32_t sortOrder);
  // A tap on the header of `column` while the list is sorted in `sortOrder`: the tapped header
  // takes its next image (TapColumn), every other header the blank one. The caller keeps the
  // returned direction and sort column and sorts its list by the tapped column.
  ColumnTap TapHeader(int column, std::uint32_t sortOrder);

  void Clear() { clear(); }
  // Appends a row of `texts` (one per column) with list image `image` before the first text.
  void AddRow(const QStringList& texts, int image);
  void SetRow(int row, const QStringList& texts, int image);
  void RemoveRow(int row);
  int RowCount() const { return topLevelItemCount(); }
  QString Text(int row, int column) const;
  // The list image of `row`, or -1.
  int RowImage(int row) const;
  // The first selected row, or -1.
  int SelectedRow() const;
  // Makes `row` the selected and current row.
  void SelectRow(int row);

 signals:
  void HeaderTapped(int column);
  // A tap on a row, or Enter with a row selected. Exactly one per tap, whatever the desktop's
  // style says about activating items with a single click.
  void RowTapped(int row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ReportListSpec spec_;
};

}  // namespace quidora::dialogs
