// Entry points of the editing dialogs. Each runs its dialog modally over the program-wide state
// and returns the code the dialog ended with; the caller acts on it.
#pragma once

namespace quidora {

class Program;
class DialogHost;

namespace end_code {
inline constexpr int kTitleOk = 1;
// "Specify amount"
inline constexpr int kTransactionCancel = 1027;
inline constexpr int kTransactionOk = 1028;
inline constexpr int kTransactionDeleted = 1029;
// "Accounts"
inline constexpr int kAccountsFailed = 0;
inline constexpr int kAccountsNew = 1140;
inline constexpr int kAccountsBack = 1141;
// "Account"
inline constexpr int kAccountBack = 1137;  // also after a completed deletion
inline constexpr int kAccountOk = 1138;
// "Edit Categories..."
inline constexpr int kCategoriesNew = 1032;
inline constexpr int kCategoriesRename = 1033;
inline constexpr int kCategoriesDelete = 1034;  // a delete was done or refused
inline constexpr int kCategoriesClose = 1061;
// "New category"
inline constexpr int kNewCategoryOk = 3;
inline constexpr int kNewCategoryCancel = 1063;
// "Edit category"
inline constexpr int kEditCategoryOk = 1061;
inline constexpr int kEditCategoryCancel = 1066;
// "View Options"
inline constexpr int kViewOptionsCancel = 1128;
inline constexpr int kViewOptionsOk = 1129;  // also for the title-bar OK
// "Delete by Range"
inline constexpr int kDeleteRangeDone = 1042;    // records were deleted; the money list reloaded
inline constexpr int kDeleteRangeCancel = 1043;  // also for the title-bar OK
}  // namespace end_code

// Template 108. Works on the work money record, the transaction edit flag and the saved row.
// Returns 1028 (the work record holds the input), 1027 (cancelled, work record reset) or 1029
// (the record at the saved row was deleted from list, view and store).
int RunTransactionDialog(Program& program, DialogHost& host);

// Template 132. Copies the accounts-book sort settings in and writes them back when it ends.
// Returns 1140 (New; selected index reset to -1), 1141 (Back), 1 (title OK) or 0 (the list could
// not be built or sorted).
int RunAccountsDialog(Program& program, DialogHost& host);

// Template 131. Works on the work account record and the account edit flag; Delete uses the
// Accounts dialog's selected index. Returns 1138 (OK) or 1137 (Back, or deleted).
int RunAccountDialog(Program& program, DialogHost& host);

// Template 124. Returns 1032 (New), 1033 (Rename; the category list's cursor is on the category),
// 1034 (a delete was done or refused) or 1061 (closed).
int RunCategoriesDialog(Program& program, DialogHost& host);

// Template 125. Returns 3 (added) or 1063 (cancelled).
int RunNewCategoryDialog(Program& program, DialogHost& host);

// Template 126: renames the category at the category list's cursor. Returns 1061 or 1066.
int RunEditCategoryDialog(Program& program, DialogHost& host);

// Template 1118. OK stores the chosen date view type and digit grouping in the settings (0 and 1
// when a list has no selection) and returns 1129; Cancel returns 1128 and changes nothing. The
// money list stays as it is; the caller refills the rows in the new forms.
int RunViewOptionsDialog(Program& program);

// Template 129. Starts from the range dates of the program; on Yes to its question deletes the
// shown account's records of the picked dates (copies stay in the range list), reloads the
// money list in stored order, tells the host (MoneyListReloaded) and returns 1042. Cancel and the
// title-bar OK return 1043.
int RunDeleteRangeDialog(Program& program, DialogHost& host);

}  // namespace quidora
