// The rows of the money list view, read straight from the money list: row i is the record at
// position i. Nothing is copied per row, so a list of a million records costs the view nothing
// until rows are painted, and a painted row formats its texts on request.
//
// The model keeps its own row count: the list may change shape while the view is hidden under
// a dialog (the categories dialogs load every account's records into it for a while), and the
// view learns of changes only through the calls below, as a list view control would.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <array>
#include <cstdint>

namespace quidora {

class MoneyList;
struct Settings;

class MoneyListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kDateColumn = 0;
  static constexpr int kCategoryColumn = 1;
  static constexpr int kAmountColumn = 2;
  static constexpr int kColumnCount = 3;

  MoneyListModel(const MoneyList& list, const Settings& settings, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Shows every record of the list, in list order.
  void ShowAll();
  // Shows nothing.
  void Clear();
  // One more row at the end, for the record just appended to the list.
  void AppendRow();
  // Removes row `row` (its record has just been removed from the list).
  void RemoveRow(int row);
  // Row `row` shows its record anew.
  void UpdateRow(int row);

  // The image of the sorted column's header: 0 up arrow, 1 down arrow, 2 none.
  std::uint32_t HeaderImage() const { return headerImage_; }
  void SetHeaderImage(std::uint32_t image);
  // The column that carries the header image.
  int SortColumn() const { return sortColumn_; }
  void SetSortColumn(int column);

 private:
  const MoneyList& list_;
  const Settings& settings_;
  int rows_ = 0;
  int sortColumn_ = kDateColumn;
  std::uint32_t headerImage_ = 2;
  std::array<QIcon, 7> icons_;
};

}  // namespace quidora
