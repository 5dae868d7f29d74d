#include "dialogs/dialogs.h"

#include "dialogs/account_dialog.h"
#include "dialogs/accounts_dialog.h"
#include "dialogs/categories_dialog.h"
#include "dialogs/delete_range_dialog.h"
#include "dialogs/category_name_dialogs.h"
#include "dialogs/transaction_dialog.h"
#include "dialogs/view_options_dialog.h"
#include "program/program.h"

namespace quidora {

int RunTransactionDialog(Program& program, DialogHost& host) {
  return dialogs::TransactionDialog(program, host).Exec();
}

int RunAccountsDialog(Program& program, DialogHost& host) {
  return dialogs::AccountsDialog(program, host).Exec();
}

int RunAccountDialog(Program& program, DialogHost& host) {
  return dialogs::AccountDialog(program, host).Exec();
}

int RunCategoriesDialog(Program& program, DialogHost& host) {
  return dialogs::CategoriesDialog(program, host).Exec();
}

int RunNewCategoryDialog(Program& program, DialogHost& /*host*/) {
  return dialogs::NewCategoryDialog(program).Exec();
}

int RunEditCategoryDialog(Program& program, DialogHost& host) {
  return dialogs::EditCategoryDialog(program, host).Exec();
}

int RunViewOptionsDialog(Program& program, DialogHost& /*host*/) {
  return dialogs::ViewOptionsDialog(program).Exec();
}

int RunDeleteRangeDialog(Program& program, DialogHost& /*host*/) {
  return dialogs::DeleteRangeDialog(program).Exec();
}

}  // namespace quidora
