#include "dialogs/category_changes.h"

#include "core/sums.h"
#include "platform/ui/wait_cursor.h"
#include "program/program.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora::dialogs {

// The flag is only ever set here, never cleared: the categories loop may run several renames
// and deletions before the main window reads it, and a later change that touches no record
// must not hide an earlier one that did.

namespace {

// After a committed batch the money list (every account's records in key order, changed as the
// store now holds them) already is what reloading would read: keep the current account's records
// and drop those that `gone` names, instead of a second pass over a store of perhaps a million
// records.
template <class Gone>
void KeepCurrentAccountRecords(Program& program, Gone gone) {
  MoneyList shown;
  for (MoneyRecord& record : program.money) {
    if (record.accountKey == program.currentAccount.key && !gone(record)) {
      shown.Append(std::move(record));
    }
  }
  program.money = std::move(shown);
}

}  // namespace

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
  if (changed) {
    KeepCurrentAccountRecords(
        program, [name](const MoneyRecord& record) { return record.Category() == name; });
  } else {
    LoadAccountMoneyRecords(program.store, program.money, program.currentAccount, program.messages);
  }
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
  if (changed) {
    KeepCurrentAccountRecords(program, [](const MoneyRecord&) { return false; });
    program.categoriesChanged = true;
  } else {
    LoadAccountMoneyRecords(program.store, program.money, program.currentAccount, program.messages);
  }
  return changed;
}

}  // namespace quidora::dialogs
