#include "dialogs/category_changes.h"

#include "core/sums.h"
#include "platform/ui/wait_cursor.h"
#include "shell/program.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora::dialogs {

// The flag is only ever set here, never cleared: the categories loop may run several renames
// and deletions before the main window reads it, and a later change that touches no record
// must not hide an earlier one that did.

bool DeleteCategoryRecords(Program& program, std::u16string_view name) {
  ui::WaitCursor wait(program.messages);
  bool changed = false;
  if (LoadAllMoneyRecords(program.store, program.money, program.messages)) {
    StoreBatch batch(program.store, StringId::DeleteError, store::kMoneyDatabaseName);
    bool deleted = false;
    for (const MoneyRecord& record : program.money) {
      if (record.Category() == name &&
          DeleteMoneyRecord(program.store, record.key, program.messages)) {
        deleted = true;
      }
    }
    changed = deleted && batch.Commit(program.messages);
  }
  LoadAccountMoneyRecords(program.store, program.money, program.currentAccount, program.messages);
  if (changed) {
    program.categoriesChanged = true;
    CurrentAccountBalance(program.money, program.currentAccount, program.balance, program.messages);
  }
  return changed;
}

bool RenameCategoryRecords(Program& program, std::u16string_view oldName,
                           std::u16string_view newName) {
  // Renaming to the same name leaves every record as it is.
  if (oldName == newName || oldName.empty()) return false;
  ui::WaitCursor wait(program.messages);
  bool changed = false;
  if (LoadAllMoneyRecords(program.store, program.money, program.messages)) {
    StoreBatch batch(program.store, StringId::EditError, store::kMoneyDatabaseName);
    bool rewritten = false;
    for (MoneyRecord& record : program.money) {
      if (record.Category() != oldName) continue;
      record.SetCategory(newName);
      if (UpdateMoneyRecord(program.store, record, program.messages)) rewritten = true;
    }
    changed = rewritten && batch.Commit(program.messages);
  }
  LoadAccountMoneyRecords(program.store, program.money, program.currentAccount, program.messages);
  if (changed) program.categoriesChanged = true;
  return changed;
}

}  // namespace quidora::dialogs
