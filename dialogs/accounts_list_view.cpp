#include "dialogs/accounts_list_view.h"

#include <QStringList>

#include "dialogs/report_list.h"
#include "platform/ui/images.h"
#include "platform/ui/text.h"

namespace quidora::dialogs {
namespace {

QStringList RowTexts(const AccountRecord& account, std::uint32_t dateViewType) {
  return {ui::ToQString(account.Name()), ui::ToQString(account.DateText(dateViewType).view())};
}

}  // namespace

ReportList* CreateAccountsListView(QWidget* parent) {
  const QRect place(6, 25, 226, 124);
  ReportListSpec spec{kAccountsListId,
                      place,
                      place,
                      {{ui::LoadQString(StringId::ColumnAccount), 135, 135},
                       {ui::LoadQString(StringId::ColumnCreated), 80, 80}},
                      /*singleSelection=*/false};
  auto* list = new ReportList(parent, std::move(spec), false);
  list->setAccessibleName(QStringLiteral("Accounts"));
  return list;
}

bool FillAccountsListView(ReportList* list, const AccountList& accounts,
                          std::uint32_t dateViewType) {
  list->Clear();
  if (accounts.empty()) return false;
  for (const AccountRecord& account : accounts) {
    list->AddRow(RowTexts(account, dateViewType), ui::kBlankImage);
  }
  return true;
}

void UpdateAccountRow(ReportList* list, int row, const AccountRecord& account,
                      std::uint32_t dateViewType) {
  list->SetRow(row, RowTexts(account, dateViewType), ui::kBlankImage);
}

}  // namespace quidora::dialogs
