#include "shell/money_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QScrollBar>

#include "platform/ui/control_id.h"
#include "shell/command_ids.h"
#include "shell/money_list_model.h"

namespace quidora {

namespace {

// Scroll bars as narrow as the handheld's, so that the wide layout's columns fit beside one.
class ThinScrollBarStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_ScrollBarExtent) return 13;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

MoneyListView::MoneyListView(const MoneyList& list, const Settings& settings, QWidget* parent)
    : QTreeView(parent), model_(new MoneyListModel(list, settings, this)) {
  ui::SetControlId(this, control::kMoneyListView);
  setAccessibleName("Transactions");
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);  // rows are laid out by arithmetic, not measured one by one
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);  // the money list is sorted, never the view
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setIconSize(QSize(16, 16));
  setIndentation(0);
  setFrameShape(QFrame::Box);
  setFrameShadow(QFrame::Plain);
  setLineWidth(1);
  // The handheld's list font and scroll bars: the column widths are measured for them.
  QFont listFont = font();
  listFont.setFamilies(
      {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  listFont.setPixelSize(11);
  setFont(listFont);
  header()->setFont(listFont);
  auto* style = new ThinScrollBarStyle;
  style->setParent(this);
  setStyle(style);
  verticalScrollBar()->setStyle(style);
  horizontalScrollBar()->setStyle(style);

  QHeaderView* columns = header();
  columns->setStretchLastSection(false);
  columns->setSectionsMovable(false);
  columns->setSectionsClickable(true);
  columns->setSectionResizeMode(QHeaderView::Fixed);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(columns, &QHeaderView::sectionClicked, this, &MoneyListView::HeaderTapped);
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit RowTapped(index.row());
  });
  SetLayout(false);
}

void MoneyListView::SetLayout(bool wide) {
  wide_ = wide;
  const int* widths = wide ? kWideWidths : kNarrowWidths;
  for (int column = 0; column < MoneyListModel::kColumnCount; ++column) {
    setColumnWidth(column, widths[column]);
  }
}

void MoneyListView::SetHeaderImage(std::uint32_t image) {
  model_->SetHeaderImage(image);
}

std::uint32_t MoneyListView::HeaderImage() const {
  return model_->HeaderImage();
}

void MoneyListView::Fill(std::uint32_t sortOrder, std::uint32_t accountKey) {
  model_->ShowAccount(accountKey);
  if (sortOrder == 1) {
    scrollToTop();
  } else {
    scrollToBottom();
  }
}

void MoneyListView::RemoveAllRows() {
  model_->Clear();
}

void MoneyListView::AddRow() {
  model_->AppendRow();
  scrollTo(model_->index(model_->rowCount() - 1, 0), QAbstractItemView::EnsureVisible);
}

void MoneyListView::UpdateRow(int row) {
  model_->UpdateRow(row);
}

void MoneyListView::RemoveRow(int row) {
  model_->RemoveRow(row);
}

int MoneyListView::RowCount() const {
  return model_->rowCount();
}

int MoneyListView::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void MoneyListView::SelectRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index, QAbstractItemView::EnsureVisible);
}

void MoneyListView::ClearSelection() {
  selectionModel()->clear();
}

bool MoneyListView::IsRowVisible(int row) const {
  if (row < 0 || row >= model_->rowCount()) return false;
  const QRect rect = visualRect(model_->index(row, 0));
  return rect.isValid() && rect.top() >= 0 && rect.bottom() < viewport()->height();
}

void MoneyListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    const int row = SelectedRow();
    if (row >= 0) emit RowTapped(row);
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

}  // namespace quidora
