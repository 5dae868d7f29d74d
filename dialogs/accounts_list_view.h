// The list of the Accounts dialog: one row per account of the account list, in list order (row
// i is position i), with the account's name and creation date. The header of the sorted column
// shows the arrow of its order; the other header shows the blank image.
#pragma once

#include <cstdint>

#include "core/record_list.h"

class QTreeWidget;
class QWidget;

namespace quidora::dialogs {

inline constexpr int kAccountsListId = 502;
inline constexpr int kAccountColumn = 0;
inline constexpr int kCreatedColumn = 1;

// The list at (6, 25), 226 by 124, with both column headers showing images: the sorted column
// (`sortColumn`) the image of `sortOrder`, the other the blank one.
QTreeWidget* CreateAccountsListView(QWidget* parent, std::uint32_t sortColumn,
                                    std::uint32_t sortOrder);
// Sets the header image of `column` (0 up arrow, 1 down arrow, 2 blank).
void SetHeaderImage(QTreeWidget* list, int column, std::uint32_t image);
// Rebuilds every row from `accounts`; false for an empty account list.
bool FillAccountsListView(QTreeWidget* list, const AccountList& accounts,
                          std::uint32_t dateViewType);
void UpdateAccountRow(QTreeWidget* list, int row, const AccountRecord& account,
                      std::uint32_t dateViewType);

}  // namespace quidora::dialogs
