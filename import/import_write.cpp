#include "import/import_write.h"

#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora::import {

namespace {

// Opens the database, creating it where the store has none (a device whose last record or
// account was removed at shutdown, or a store made just now).
bool EnsureDatabase(Databases& store, DatabaseSlot& slot, bool (*create)(Databases&)) {
  if (slot.IsOpen()) return true;
  const platform::OpenStatus status = store.Reopen(slot);
  if (status == platform::OpenStatus::Opened) return true;
  return status == platform::OpenStatus::NotFound && create(store);
}

}  // namespace

std::optional<std::uint32_t> WriteImport(Databases& store, const ImportPlan& plan,
                                         const ImportTarget& target, CategoryList& categories,
                                         AccountList& accounts, MessageService& ui) {
  if (!plan.Usable() || !store.VolumeIsOpen() || store.ReadOnly()) return std::nullopt;
  StoreBatch batch(store, StringId::AddError, store::kMoneyDatabaseName);
  if (!EnsureDatabase(store, store.Money(), CreateMoneyDatabase)) {
    store.MarkBatchBroken();
  }

  AccountRecord account;
  std::uint32_t accountKey = target.accountKey.value_or(0);
  if (!target.accountKey) {
    account.Reset();
    account.SetDate(target.today);
    account.SetName(target.newAccountName);
    account.SetDescription(u"");
    if (!EnsureDatabase(store, store.Accounts(), CreateAccountsDatabase) ||
        !AddAccountRecord(store, account, accountKey, ui)) {
      store.MarkBatchBroken();
    }
    account.key = accountKey;
  }

  if (!plan.newCategories.empty()) {
    CategoryList rewritten;
    for (const CategoryRecord& category : categories) rewritten.Append(category);
    for (const std::u16string& name : plan.newCategories) {
      CategoryRecord category;
      category.SetName(name);
      rewritten.Append(std::move(category));
    }
    if (!RewriteCategories(store, rewritten, ui)) store.MarkBatchBroken();
  }

  MoneyRecord work;
  for (const PlannedRecord& planned : plan.records) {
    if (store.BatchBroken()) break;
    // As the transaction dialog fills the work record before the main window adds it.
    work.Reset();
    work.SetDate(ImportPlan::DateOf(planned));
    work.amount = planned.amount;
    work.SetAmount(planned.amount);
    work.type = planned.type;
    work.SetCategory(plan.categoryNames[planned.category]);
    work.accountKey = accountKey;
    work.SetMemo(plan.MemoOf(planned));
    std::uint32_t newKey = 0;
    if (!AddMoneyRecord(store, work, newKey, ui)) break;
  }
  if (!batch.Commit(ui)) return std::nullopt;

  for (const std::u16string& name : plan.newCategories) {
    CategoryRecord category;
    category.SetName(name);
    categories.Append(std::move(category));
  }
  if (!target.accountKey) accounts.Append(std::move(account));
  return accountKey;
}

}  // namespace quidora::import
