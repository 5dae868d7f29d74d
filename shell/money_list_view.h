// The money list view (control 500): a report-style list of the current account's money
// records, one row per record with its date (and income or expense image), category and amount.
// Row i shows the money list's record at position i; every change goes through the calls below
// so that list and rows stay in step.
#pragma once

#include <QTreeView>
#include <cstdint>

namespace quidora {

class MoneyList;
class MoneyListModel;
struct Settings;

class MoneyListView : public QTreeView {
  Q_OBJECT

 public:
  // Column widths of the two layouts: Date, Category, Amount.
  static constexpr int kNarrowWidths[3] = {75, 85, 90};
  static constexpr int kWideWidths[3] = {85, 105, 105};

  MoneyListView(const MoneyList& list, const Settings& settings, QWidget* parent = nullptr);

  MoneyListModel& Model() const { return *model_; }

  // Column widths of the narrow (240 by 320) or the wide layout.
  void SetLayout(bool wide);
  bool IsWide() const { return wide_; }
  int ColumnWidth(int column) const { return columnWidth(column); }

  // The header image of the Date column: 0 up arrow, 1 down arrow, 2 none.
  void SetHeaderImage(std::uint32_t image);
  std::uint32_t HeaderImage() const;

  // Rebuilds the rows from the list's records of account `accountKey` and scrolls to the newest
  // dates: to the end for an ascending order (0 or 2), to the top for a descending one.
  void Fill(std::uint32_t sortOrder, std::uint32_t accountKey);
  void RemoveAllRows();
  // Appends a row for the list's last record and scrolls it into view.
  void AddRow();
  void UpdateRow(int row);
  void RemoveRow(int row);

  int RowCount() const;
  // The selected row, or -1.
  int SelectedRow() const;
  // Makes `row` the selected and focused row; -1 or a row that does not exist clears nothing.
  void SelectRow(int row);
  // No row selected and no current row.
  void ClearSelection();
  // Whether `row` lies within the visible part of the list.
  bool IsRowVisible(int row) const;

 signals:
  // A tap on a row or the action key on the selected row.
  void RowTapped(int row);
  // A tap on a column header.
  void HeaderTapped(int column);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  MoneyListModel* model_ = nullptr;
  bool wide_ = false;
};

}  // namespace quidora
