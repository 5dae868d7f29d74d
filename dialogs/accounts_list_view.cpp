#include "dialogs/accounts_list_view.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "core/sorts.h"
#include "platform/ui/control_id.h"
#include "platform/ui/images.h"
#include "platform/ui/text.h"

namespace quidora::dialogs {
namespace {

void SetRow(QTreeWidgetItem* item, const AccountRecord& account, std::uint32_t dateViewType) {
  item->setText(kAccountColumn, ui::ToQString(account.Name()));
  item->setIcon(kAccountColumn, ui::ListIcon(ui::kBlankImage));
  item->setText(kCreatedColumn, ui::ToQString(account.DateText(dateViewType).view()));
}

}  // namespace

QTreeWidget* CreateAccountsListView(QWidget* parent, std::uint32_t sortColumn,
                                    std::uint32_t sortOrder) {
  auto* list = ui::SetControlId(new QTreeWidget(parent), kAccountsListId);
  list->setGeometry(6, 25, 226, 124);
  list->setColumnCount(2);
  list->setHeaderLabels(
      {ui::LoadQString(StringId::ColumnAccount), ui::LoadQString(StringId::ColumnCreated)});
  list->setColumnWidth(kAccountColumn, 135);
  list->setColumnWidth(kCreatedColumn, 80);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setIconSize(QSize(ui::kImageSize, ui::kImageSize));
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->header()->setSectionsClickable(true);
  list->header()->setSectionsMovable(false);
  list->header()->setStretchLastSection(false);
  list->setAccessibleName(QStringLiteral("Accounts"));
  for (int column : {kAccountColumn, kCreatedColumn}) {
    SetHeaderImage(list, column,
                   static_cast<std::uint32_t>(column) == sortColumn ? sortOrder : kNoOrder);
  }
  return list;
}

void SetHeaderImage(QTreeWidget* list, int column, std::uint32_t image) {
  const int index = image <= ui::kNoOrderImage ? static_cast<int>(image) : ui::kNoOrderImage;
  list->headerItem()->setIcon(column, ui::ListIcon(index));
  list->headerItem()->setData(column, Qt::UserRole, index);
}

bool FillAccountsListView(QTreeWidget* list, const AccountList& accounts,
                          std::uint32_t dateViewType) {
  list->clear();
  if (accounts.empty()) return false;
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(accounts.size()));
  for (const AccountRecord& account : accounts) {
    auto* item = new QTreeWidgetItem;
    SetRow(item, account, dateViewType);
    rows.append(item);
  }
  list->addTopLevelItems(rows);
  return true;
}

void UpdateAccountRow(QTreeWidget* list, int row, const AccountRecord& account,
                      std::uint32_t dateViewType) {
  QTreeWidgetItem* item = list->topLevelItem(row);
  if (item != nullptr) SetRow(item, account, dateViewType);
}

}  // namespace quidora::dialogs
