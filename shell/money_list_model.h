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
#include <cstddef>
#include <cstdint>
#include <vector>

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

  // Shows the records of account `accountKey`, in list order. The list holds that account's
  // records only, and row i is position i, except while a report has every account's records
  // in it: then the rows skip the others.
  void ShowAccount(std::uint32_t accountKey);
  // The list position that row `row` shows.
  std::size_t Position(int row) const;
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
  // Positions of the rows while they skip records of other accounts; empty when row i is
  // position i.
  std::vector<std::size_t> positions_;
  int sortColumn_ = kDateColumn;
  std::uint32_t headerImage_ = 2;
  std::array<QIcon, 7> icons_;
};

}  // namespace quidora
