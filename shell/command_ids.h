// The numbers that identify the main window's commands, its toolbar buttons and the controls of
// the account view. Menus, buttons and tests address them by these numbers.
#pragma once

namespace quidora::command {

inline constexpr int kAccountsPopup = 40001;   // drop-down button "Accounts"
inline constexpr int kNewTransaction = 40003;  // "New" and "New Transaction..."
inline constexpr int kAbout = 40009;
inline constexpr int kEditCategories = 40019;
inline constexpr int kTransactionsReport = 40021;
inline constexpr int kDeleteByRange = 40042;
inline constexpr int kToolsPopup = 40043;  // drop-down button "Tools"
inline constexpr int kExportTransactions = 40045;
inline constexpr int kViewOptions = 40046;
inline constexpr int kUndoDeleting = 40049;
inline constexpr int kExit = 40050;
inline constexpr int kNewAccount = 40051;
inline constexpr int kAccounts = 40060;
inline constexpr int kAccountsBalance = 40061;
inline constexpr int kEmptyUndo = 40071;

// Toolbar buttons of the menu bar.
inline constexpr int kEditCategoriesButton = 551;
inline constexpr int kTransactionsReportButton = 552;
inline constexpr int kUndoDeletingButton = 553;

}  // namespace quidora::command

namespace quidora::control {

inline constexpr int kMoneyListView = 500;
inline constexpr int kAccountChooser = 1000;
// The about page's version text.
inline constexpr int kVersionText = 1081;

}  // namespace quidora::control
