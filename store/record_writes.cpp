#include "store/record_writes.h"

#include <optional>
#include <span>
#include <vector>

#include "core/date.h"
#include "core/keys.h"
#include "store/database_layout.h"
#include "store/record_keys.h"
#include "store/record_properties.h"
#include "store/store_messages.h"

namespace quidora {

namespace {

using platform::OpenStatus;
using platform::PropValue;

// Reports a failed write of a record operation. Inside a batch the failure also means that
// nothing of the batch may be stored.
bool Fail(Databases& store, MessageService& ui, StringId text, std::u16string_view database) {
  ShowWriteFailure(store, ui, text, database);
  store.MarkBatchBroken();
  return false;
}

template <typename MakeProperties>
bool AddRecord(Databases& store, DatabaseSlot& slot, MakeProperties makeProperties,
               std::uint32_t& newKey, MessageService& ui) {
  if (store.BatchBroken()) return false;
  if (!store.EnsureOpen(slot)) return Fail(store, ui, StringId::AddError, slot.name);
  const std::optional<std::uint32_t> key =
      FirstFreeKey(slot.handle, ClockKey(store.Clock().NowUtc()));
  if (!key) return Fail(store, ui, StringId::AddError, slot.name);
  newKey = *key;
  const auto props = makeProperties(*key);
  if (slot.handle.WriteRecord(0, props) == 0) {
    return Fail(store, ui, StringId::AddError, slot.name);
  }
  return true;
}

// Finds the first stored record with `key`: its object identifier, 0 when there is none (no
// message) or when the database cannot be opened or searched (message `failure`).
platform::Oid FindByKey(Databases& store, DatabaseSlot& slot, std::uint32_t key, StringId failure,
                        MessageService& ui) {
  if (!store.EnsureOpen(slot)) {
    Fail(store, ui, failure, slot.name);
    return 0;
  }
  const platform::Oid found = slot.handle.SeekFirstEqual(key);
  if (found == 0 && slot.handle.LastError() != platform::StoreError::NotFound) {
    Fail(store, ui, failure, slot.name);
  }
  return found;
}

template <std::size_t N>
bool UpdateRecord(Databases& store, DatabaseSlot& slot, std::uint32_t key,
                  const std::array<PropValue, N>& props, MessageService& ui) {
  if (store.BatchBroken()) return false;
  const platform::Oid found = FindByKey(store, slot, key, StringId::EditError, ui);
  if (found == 0) return false;
  if (slot.handle.WriteRecord(found, props) == 0) {
    return Fail(store, ui, StringId::EditError, slot.name);
  }
  return true;
}

bool DeleteRecord(Databases& store, DatabaseSlot& slot, std::uint32_t key, MessageService& ui) {
  if (store.BatchBroken()) return false;
  const platform::Oid found = FindByKey(store, slot, key, StringId::DeleteError, ui);
  if (found == 0) return false;
  if (!slot.handle.DeleteRecord(found)) return Fail(store, ui, StringId::DeleteError, slot.name);
  return true;
}

// The object identifiers of the money records of one account (by the account key that loading
// gives them) that `keep` takes, in key order: through the order on the account key when the
// database keeps it, else by reading every record. A record that cannot be decoded belongs to no
// account that can be told and is left alone. Nothing when a read fails.
template <typename Keep>
std::optional<std::vector<platform::Oid>> RecordsOfAccount(Databases& store, DatabaseSlot& money,
                                                           std::uint32_t count,
                                                           std::uint32_t accountKey, Keep keep) {
  std::vector<platform::Oid> found;
  platform::Record props;
  props.reserve(9);
  platform::OpenedDatabase byAccount =
      accountKey == kNoKey ? platform::OpenedDatabase{}
                           : store.Volume().OpenDatabase(money.name, store::money::kAccountKey);
  if (byAccount.status == OpenStatus::Opened) {
    platform::DatabaseHandle& handle = byAccount.handle;
    if (handle.SeekFirstEqual(accountKey) == 0) {
      if (handle.LastError() == platform::StoreError::NotFound) return found;
      return std::nullopt;
    }
    while (true) {
      const platform::Oid oid = handle.ReadRecordEqual(accountKey, props);
      if (oid != 0) {
        if (keep(props)) found.push_back(oid);
        continue;
      }
      if (handle.LastError() == platform::StoreError::NotFound) return found;
      if (handle.LastError() != platform::StoreError::Undecodable) return std::nullopt;
    }
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    const platform::Oid oid = money.handle.ReadRecord(props);
    if (oid == 0) {
      if (money.handle.LastError() == platform::StoreError::Undecodable) continue;
      return std::nullopt;
    }
    if (MoneyAccountKeyOf(props) == accountKey && keep(props)) found.push_back(oid);
  }
  return found;
}


// The object identifiers of the money records of one account whose date number lies in
// first..last, as the account's list in memory has them. Through the date order, which hands
// over each record found, so a key that an older version stored twice cannot lead to the
// record outside the range. A record that cannot be decoded has no date and is left alone.
// Where the volume keeps no order (an older one, read-only), and for an account without a key
// (whose records the order keeps apart with every other record that lacks one), the account's
// records are read whole as loading reads them. Nothing when a read fails.
std::optional<std::vector<platform::Oid>> RecordsInRange(Databases& store, DatabaseSlot& money,
                                                         std::uint32_t accountKey,
                                                         std::uint32_t first, std::uint32_t last) {
  std::vector<platform::Oid> found;
  if (accountKey != kNoKey) {
    platform::DateRange range;
    range.group = accountKey;
    range.first = first;
    range.last = last;
    range.whole = false;  // the identifier is all a deletion needs
    const platform::RangeRead status =
        store.Volume().ReadDateRange(money.name, range, [&](const platform::DatedRecord& dated) {
          if (!dated.undecodable) found.push_back(dated.oid);
          return true;
        });
    switch (status) {
      case platform::RangeRead::Read:
        return found;
      case platform::RangeRead::NoDatabase:
      case platform::RangeRead::Failed:
        return std::nullopt;
      case platform::RangeRead::NoOrder:
        break;
    }
  }
  if (store.Reopen(money) != OpenStatus::Opened) return std::nullopt;
  const std::optional<std::uint32_t> count = money.handle.RecordCount();
  if (!count) return std::nullopt;
  MoneyRecord work;
  return RecordsOfAccount(store, money, *count, accountKey, [&](const platform::Record& props) {
    work.Reset();
    FillMoneyRecord(props, work);
    return IsInDateRange(work.DateNumber(), first, last);
  });
}

// Deletes a whole database when `shouldDelete` says so after it was found; true when it does
// not exist or need not go.
template <typename ShouldDelete>
bool DeleteDatabaseIf(Databases& store, DatabaseSlot& slot, ShouldDelete shouldDelete) {
  slot.Close();
  if (!store.VolumeIsOpen()) return false;
  const OpenStatus status = store.Reopen(slot);
  if (status == OpenStatus::NotFound) return true;
  if (status != OpenStatus::Opened) return false;
  slot.Close();
  const std::optional<bool> wanted = shouldDelete(slot.oid);
  if (!wanted) return false;
  if (!*wanted) return true;
  if (!store.Volume().DeleteDatabase(slot.oid)) return false;
  slot.oid = 0;
  return true;
}

}  // namespace

bool AddMoneyRecord(Databases& store, const MoneyRecord& record, std::uint32_t& newKey,
                    MessageService& ui) {
  return AddRecord(
      store, store.Money(), [&](std::uint32_t key) { return MoneyProperties(record, key); }, newKey,
      ui);
}

bool AddAccountRecord(Databases& store, const AccountRecord& record, std::uint32_t& newKey,
                      MessageService& ui) {
  return AddRecord(
      store, store.Accounts(), [&](std::uint32_t key) { return AccountProperties(record, key); },
      newKey, ui);
}

bool UpdateMoneyRecord(Databases& store, const MoneyRecord& record, MessageService& ui) {
  return UpdateRecord(store, store.Money(), record.key, MoneyProperties(record, record.key), ui);
}

bool UpdateAccountRecord(Databases& store, const AccountRecord& record, MessageService& ui) {
  return UpdateRecord(store, store.Accounts(), record.key, AccountProperties(record, record.key),
                      ui);
}

bool DeleteMoneyRecord(Databases& store, std::uint32_t key, MessageService& ui) {
  return DeleteRecord(store, store.Money(), key, ui);
}

bool DeleteAccountRecord(Databases& store, std::uint32_t key, MessageService& ui) {
  return DeleteRecord(store, store.Accounts(), key, ui);
}

bool DeleteAccountMoneyRecords(Databases& store, std::uint32_t accountKey, MessageService& ui) {
  if (store.BatchBroken()) return false;
  DatabaseSlot& money = store.Money();
  const auto problem = [&] {
    ShowDatabaseProblem(ui);
    store.MarkBatchBroken();
    return false;
  };
  if (store.Reopen(money) != OpenStatus::Opened) return problem();
  const std::optional<std::uint32_t> count = money.handle.RecordCount();
  if (!count) return problem();
  if (*count == 0) return false;

  // Deleting by the object identifier just read, not by key: a key that an older version
  // stored twice must not take another account's record with it.
  const std::optional<std::vector<platform::Oid>> doomed = RecordsOfAccount(
      store, money, *count, accountKey, [](const platform::Record&) { return true; });
  if (!doomed) {
    money.Close();
    return problem();
  }
  StoreBatch batch(store, StringId::DeleteError, money.name);
  for (platform::Oid oid : *doomed) {
    if (store.BatchBroken()) break;
    if (!money.handle.DeleteRecord(oid)) Fail(store, ui, StringId::DeleteError, money.name);
  }
  return batch.Commit(ui);
}

std::optional<std::size_t> CountMoneyRecordsInRange(Databases& store, std::uint32_t accountKey,
                                                    std::uint32_t first, std::uint32_t last,
                                                    MessageService& ui) {
  DatabaseSlot& money = store.Money();
  std::optional<std::vector<platform::Oid>> found;
  if (store.EnsureOpen(money)) found = RecordsInRange(store, money, accountKey, first, last);
  if (!found) {
    ShowDatabaseProblem(ui);
    return std::nullopt;
  }
  return found->size();
}

bool DeleteMoneyRecordsInRange(Databases& store, std::uint32_t accountKey, std::uint32_t first,
                               std::uint32_t last, MessageService& ui) {
  if (store.BatchBroken()) return false;
  DatabaseSlot& money = store.Money();
  // The records are found inside the batch, so what is deleted is what the range held then.
  StoreBatch batch(store, StringId::DeleteError, money.name);
  if (!store.EnsureOpen(money)) return Fail(store, ui, StringId::DeleteError, money.name);
  const std::optional<std::vector<platform::Oid>> doomed =
      RecordsInRange(store, money, accountKey, first, last);
  if (!doomed) return Fail(store, ui, StringId::DeleteError, money.name);
  for (const platform::Oid oid : *doomed) {
    if (!money.handle.DeleteRecord(oid)) return Fail(store, ui, StringId::DeleteError, money.name);
  }
  return batch.Commit(ui);
}

bool RewriteCategories(Databases& store, const CategoryList& categoryList, MessageService& ui) {
  if (store.BatchBroken() || !store.VolumeIsOpen()) return false;
  DatabaseSlot& slot = store.Categories();
  slot.Close();
  const platform::Oid oldOid = slot.oid;

  // One transaction: a failure or a crash at any point leaves the old categories, never none.
  platform::ObjectStore& volume = store.Volume();
  platform::Transaction transaction = volume.BeginTransaction();
  if (!transaction.IsActive()) return Fail(store, ui, StringId::EditError, slot.name);
  const auto giveUp = [&](bool report) {
    slot.Close();
    transaction.Rollback();
    slot.oid = oldOid;
    if (report) return Fail(store, ui, StringId::EditError, slot.name);
    store.MarkBatchBroken();
    return false;
  };

  const OpenStatus status = store.Reopen(slot);
  if (status == OpenStatus::Opened) {
    slot.Close();
    if (!volume.DeleteDatabase(slot.oid)) return giveUp(false);
    slot.oid = 0;
  } else if (status == OpenStatus::Failed) {
    return giveUp(false);
  }

  if (!categoryList.empty()) {
    volume.CreateDatabase(slot.name, 0, platform::kKeyPropId);
    if (store.Reopen(slot) != OpenStatus::Opened) return giveUp(false);
    for (std::size_t position = 0; position < categoryList.size(); ++position) {
      const auto props =
          CategoryProperties(static_cast<std::uint32_t>(position), categoryList[position].Name());
      if (slot.handle.WriteRecord(0, props) == 0) return giveUp(true);
    }
    slot.Close();
  }
  if (!transaction.Commit()) return giveUp(true);
  return true;
}

bool DeleteEmptyMoneyDatabase(Databases& store) {
  return DeleteDatabaseIf(store, store.Money(), [&](platform::Oid oid) -> std::optional<bool> {
    const std::optional<platform::DatabaseInfo> info = store.Volume().GetDatabaseInfo(oid);
    if (!info) return std::nullopt;
    return info->recordCount == 0;
  });
}

bool DeleteEmptyAccountsDatabase(Databases& store, const AccountList& accountList) {
  return DeleteDatabaseIf(store, store.Accounts(), [&](platform::Oid) -> std::optional<bool> {
    return accountList.empty();
  });
}

}  // namespace quidora
