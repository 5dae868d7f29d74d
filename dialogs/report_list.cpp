#include "dialogs/report_list.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "platform/ui/control_id.h"
#include "platform/ui/images.h"

namespace quidora::dialogs {
namespace {

constexpr int kImageRole = Qt::UserRole;

}  // namespace

ReportList::ReportList(QWidget* parent, ReportListSpec spec, bool wide)
    : QTreeWidget(parent), spec_(std::move(spec)) {
  ui::SetControlId(this, spec_.controlId);
  const int columns = static_cast<int>(spec_.columns.size());
  setColumnCount(columns);
  QStringList titles;
  for (const ReportColumn& column : spec_.columns) titles << column.title;
  setHeaderLabels(titles);
  setAccessibleName(titles.join(QLatin1Char(' ')));
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(0);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(spec_.singleSelection ? QAbstractItemView::SingleSelection
                                         : QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(ui::kImageSize, ui::kImageSize));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QHeaderView* headers = header();
  headers->setSectionsClickable(true);
  headers->setSectionsMovable(false);
  headers->setStretchLastSection(false);
  headers->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int column = 0; column < columns; ++column) SetHeaderImage(column, ui::kNoOrderImage);

  connect(headers, &QHeaderView::sectionClicked, this, &ReportList::HeaderTapped);
  // Rows open on `clicked` only: `activated` also follows a single click under some desktop
  // styles, and a tap must open one dialog, not two.
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit RowTapped(index.row());
  });
  SetLayout(wide);
  show();
}

void ReportList::SetLayout(bool wide) {
  setGeometry(wide ? spec_.wide : spec_.tall);
  for (int column = 0; column < static_cast<int>(spec_.columns.size()); ++column) {
    const ReportColumn& c = spec_.columns[static_cast<std::size_t>(column)];
    setColumnWidth(column, wide ? c.wideWidth : c.tallWidth);
  }
}

void ReportList::SetHeaderImage(int column, std::uint32_t image) {
  const int index = image <= ui::kNoOrderImage ? static_cast<int>(image) : ui::kNoOrderImage;
  headerItem()->setIcon(column, ui::ListIcon(index));
  headerItem()->setData(column, kImageRole, index);
}

std::uint32_t ReportList::HeaderImage(int column) const {
  return headerItem()->data(column, kImageRole).toUInt();
}

int ReportList::ShowStoredSort(std::uint32_t sortColumn, std::uint32_t sortOrder) {
  const bool ordered = sortOrder == kAscending || sortOrder == kDescending;
  const int sorted = ordered && sortColumn < static_cast<std::uint32_t>(columnCount())
                         ? static_cast<int>(sortColumn)
                         : 0;
  for (int column = 0; column < columnCount(); ++column) {
    SetHeaderImage(column, column != sorted ? kNoOrder : ordered ? sortOrder : kAscending);
  }
  return sorted;
}

ColumnTap ReportList::TapHeader(int column, std::uint32_t sortOrder) {
  const ColumnTap tap =
      TapColumn(HeaderImage(column), sortOrder, static_cast<std::uint32_t>(column));
  for (int other = 0; other < columnCount(); ++other) {
    SetHeaderImage(other, other == column ? tap.tappedImage : tap.otherImage);
  }
  return tap;
}

void ReportList::AddRow(const QStringList& texts, int image) {
  auto* item = new QTreeWidgetItem;
  addTopLevelItem(item);
  SetRow(topLevelItemCount() - 1, texts, image);
}

void ReportList::SetRow(int row, const QStringList& texts, int image) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr) return;
  for (int column = 0; column < texts.size() && column < columnCount(); ++column) {
    item->setText(column, texts[column]);
  }
  item->setIcon(0, ui::ListIcon(image));
  item->setData(0, kImageRole, image);
}

void ReportList::RemoveRow(int row) {
  delete takeTopLevelItem(row);
}

QString ReportList::Text(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item != nullptr ? item->text(column) : QString();
}

int ReportList::RowImage(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item != nullptr ? item->data(0, kImageRole).toInt() : -1;
}

int ReportList::SelectedRow() const {
  int first = -1;
  for (const QTreeWidgetItem* item : selectedItems()) {
    const int row = indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    if (first < 0 || row < first) first = row;
  }
  return first;
}

void ReportList::SelectRow(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr) return;
  setCurrentItem(item);
  item->setSelected(true);
}

void ReportList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    const int row = SelectedRow();
    if (row >= 0) emit RowTapped(row);
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace quidora::dialogs
