#include "shell/money_list_model.h"

#include <limits>

#include "core/record_list.h"
#include "platform/ui/images.h"
#include "platform/ui/text.h"
#include "store/settings.h"

namespace quidora {

namespace {

int ClampedCount(std::size_t count) {
  return count > static_cast<std::size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(count);
}

}  // namespace

MoneyListModel::MoneyListModel(const MoneyList& list, const Settings& settings, QObject* parent)
    : QAbstractTableModel(parent), list_(list), settings_(settings) {
  for (int i = 0; i < static_cast<int>(icons_.size()); ++i) {
    icons_[static_cast<std::size_t>(i)] = ui::ListIcon(i);
  }
}

int MoneyListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int MoneyListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant MoneyListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_) return {};
  const std::size_t position = Position(index.row());
  // The list can be shorter than the rows while a dialog has it reloaded.
  if (position >= list_.size()) return {};
  const MoneyRecord& record = list_[position];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      switch (index.column()) {
        case kDateColumn:
          return ui::ToQString(record.DateText(settings_.dateTypeView).view());
        case kCategoryColumn:
          return ui::ToQString(record.Category());
        case kAmountColumn:
          return ui::ToQString(record.AmountText(settings_.moneyTypeView).view());
        default:
          return {};
      }
    case Qt::DecorationRole:
      if (index.column() != kDateColumn) return {};
      return icons_[record.type == kIncome ? ui::kIncomeImage : ui::kExpenseImage];
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

QVariant MoneyListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  switch (role) {
    case Qt::DisplayRole:
      switch (section) {
        case kDateColumn:
          return ui::LoadQString(StringId::ColumnDate);
        case kCategoryColumn:
          return ui::LoadQString(StringId::ColumnCategory);
        case kAmountColumn:
          return ui::LoadQString(StringId::ColumnAmount);
        default:
          return {};
      }
    case Qt::DecorationRole:
      if (section != sortColumn_ || headerImage_ >= icons_.size()) return {};
      return icons_[headerImage_];
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

void MoneyListModel::ShowAccount(std::uint32_t accountKey) {
  beginResetModel();
  positions_.clear();
  std::size_t shown = 0;
  for (const MoneyRecord& record : list_) {
    if (record.accountKey == accountKey) ++shown;
  }
  if (shown != list_.size()) {
    positions_.reserve(shown);
    for (std::size_t position = 0; position < list_.size(); ++position) {
      if (list_[position].accountKey == accountKey) positions_.push_back(position);
    }
  }
  rows_ = ClampedCount(shown);
  endResetModel();
}

std::size_t MoneyListModel::Position(int row) const {
  const auto index = static_cast<std::size_t>(row);
  return positions_.empty() ? index : positions_[index];
}

void MoneyListModel::Clear() {
  beginResetModel();
  rows_ = 0;
  positions_.clear();
  endResetModel();
}

void MoneyListModel::AppendRow() {
  beginInsertRows({}, rows_, rows_);
  if (!positions_.empty()) positions_.push_back(list_.size() - 1);
  ++rows_;
  endInsertRows();
}

void MoneyListModel::RemoveRow(int row) {
  if (row < 0 || row >= rows_) return;
  beginRemoveRows({}, row, row);
  if (!positions_.empty()) {
    const std::size_t removed = positions_[static_cast<std::size_t>(row)];
    positions_.erase(positions_.begin() + row);
    for (std::size_t& position : positions_) {
      if (position > removed) --position;
    }
  }
  --rows_;
  endRemoveRows();
}

void MoneyListModel::UpdateRow(int row) {
  if (row < 0 || row >= rows_) return;
  emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void MoneyListModel::SetHeaderImage(std::uint32_t image) {
  headerImage_ = image;
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

void MoneyListModel::SetSortColumn(int column) {
  sortColumn_ = column;
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

}  // namespace quidora
