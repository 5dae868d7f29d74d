// The list of the Accounts dialog: one row per account of the account list, in list order (row
// i is position i), with the account's name and creation date. The header of the sorted column
// shows the arrow of its order; the other header shows the blank image.
#pragma once

#include <cstdint>

#include "core/record_list.h"

class QWidget;

namespace quidora::dialogs {

class ReportList;

inline constexpr int kAccountsListId = 502;
inline constexpr int kAccountColumn = 0;
inline constexpr int kCreatedColumn = 1;

// The list at (6, 25), 226 by 124 in every layout, without the single-selection style, both
// headers blank until the dialog shows its sort.
ReportList* CreateAccountsListView(QWidget* parent);
// Rebuilds every row from `accounts`; false for an empty account list.
bool FillAccountsListView(ReportList* list, const AccountList& accounts,
                          std::uint32_t dateViewType);
void UpdateAccountRow(ReportList* list, int row, const AccountRecord& account,
                      std::uint32_t dateViewType);

}  // namespace quidora::dialogs
