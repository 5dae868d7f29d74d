#include "store/loading.h"

#include <optional>
#include <span>
#include <utility>

#include "store/database_layout.h"
#include "store/dated_money.h"
#include "store/record_properties.h"
#include "store/store_messages.h"

namespace quidora {

namespace {

using platform::OpenStatus;

enum class Section { Empty, Loaded, Failed };

void ShowBareBuildingError(MessageService& ui) {
  ui.Show(LoadString(StringId::BuildingError), MessageIcon::Stop);
}

bool CreateDatabase(Databases& store, DatabaseSlot& slot,
                    std::span<const platform::PropId> moreSortOrders = {},
                    const platform::DateOrder* dateOrder = nullptr) {
  // The creation's own answer is not needed: the open that follows tells whether it worked.
  store.Volume().CreateDatabase(slot.name, 0, platform::kKeyPropId, moreSortOrders, dateOrder);
  return store.Reopen(slot) == OpenStatus::Opened;
}

// Opens the categories or accounts database (creating it when it cannot be opened), learns
// its first record and runs `load` on it.
template <typename Load>
Section OpenAndLoad(Databases& store, DatabaseSlot& slot, bool (*create)(Databases&), Load load,
                    MessageService& ui) {
  slot.firstRecord = 0;
  if (const OpenStatus status = store.Reopen(slot); status != OpenStatus::Opened) {
    // A reader creates nothing: a database that is not there is an empty one.
    if (store.ReadOnly() && status == OpenStatus::NotFound) return Section::Empty;
    if (store.ReadOnly() || !create(store)) {
      ShowNamed(ui, StringId::BuildingError, slot.name);
      return Section::Failed;
    }
    return Section::Empty;
  }
  const std::optional<platform::DatabaseInfo> info = store.Volume().GetDatabaseInfo(slot.oid);
  if (!info) {
    ShowBareBuildingError(ui);
    return Section::Failed;
  }
  if (info->recordCount == 0) return Section::Empty;
  platform::Record first;
  first.reserve(8);
  slot.firstRecord = slot.handle.ReadRecord(first);
  if (slot.firstRecord == 0) return Section::Failed;
  if (!load()) {
    ShowNamed(ui, StringId::BuildingError, slot.name);
    return Section::Failed;
  }
  return Section::Loaded;
}

// Positions `slot` on its first record and hands each of its records to `take`; false when
// the count cannot be read, the database is empty, or a seek or read fails.
template <typename Take>
bool ReadFromFirstRecord(Databases& store, DatabaseSlot& slot, Take take) {
  const std::optional<platform::DatabaseInfo> info = store.Volume().GetDatabaseInfo(slot.oid);
  if (!info || info->recordCount == 0) return false;
  if (slot.handle.SeekToRecord(slot.firstRecord) == 0) return false;
  platform::Record props;
  for (std::uint32_t i = 0; i < info->recordCount; ++i) {
    if (slot.handle.ReadRecord(props) == 0) return false;
    take(props);
  }
  return true;
}

void ChooseCurrentAccount(AccountList& accountList, AccountRecord& currentAccount,
                          Settings& settings) {
  const AccountRecord* found = nullptr;
  if (settings.lastAccount) found = accountList.FindByName(*settings.lastAccount);
  if (found) {
    currentAccount.CopyFrom(*found);
    return;
  }
  found = accountList.FindByPosition(0);
  if (!found) return;
  currentAccount.CopyFrom(*found);
  if (found->HasName()) SetLastAccount(settings, found->Name());
}

// Deletes the money database, whatever it holds. False only when it exists and cannot be
// deleted.
bool DeleteMoneyDatabase(Databases& store) {
  DatabaseSlot& slot = store.Money();
  if (store.Reopen(slot) != OpenStatus::Opened) return true;
  slot.Close();
  const bool deleted = store.Volume().DeleteDatabase(slot.oid);
  if (deleted) slot.oid = 0;
  return deleted;
}

// Shows the database-problem message the first time it is called.
class ProblemOnce {
 public:
  explicit ProblemOnce(MessageService& ui) : ui_(ui) {}
  void Show() {
    if (shown_) return;
    ShowDatabaseProblem(ui_);
    shown_ = true;
  }

 private:
  MessageService& ui_;
  bool shown_ = false;
};

// Reads every money record in key order, keeping those `keep` accepts. A record that cannot be
// decoded is reported once and passed over; false when a read fails otherwise.
template <typename Keep>
bool LoadInKeyOrder(DatabaseSlot& slot, std::uint32_t count, MoneyList& moneyList, Keep keep,
                    ProblemOnce& problem) {
  platform::Record props;
  props.reserve(9);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (slot.handle.ReadRecord(props) == 0) {
      problem.Show();
      if (slot.handle.LastError() == platform::StoreError::Undecodable) continue;
      slot.Close();
      return false;
    }
    // Most records of a large database belong to other accounts: skip them before building
    // their texts.
    if (!keep(props)) continue;
    MoneyRecord work;
    work.Reset();
    FillMoneyRecord(props, work);
    moneyList.Append(std::move(work));
  }
  return true;
}

// Reads the records of one account through the order on the account key, which places each
// record by its last account-key property, as filling a record takes it: the same records in
// the same key order as a full read that keeps that account's, at the cost of that account.
bool LoadThroughAccountOrder(DatabaseSlot& slot, platform::DatabaseHandle& byAccount,
                             std::uint32_t accountKey, MoneyList& moneyList, ProblemOnce& problem) {
  const auto failed = [&] {
    problem.Show();
    slot.Close();
    return false;
  };
  platform::Record props;
  props.reserve(9);
  if (byAccount.SeekFirstEqual(accountKey) != 0) {
    while (true) {
      if (byAccount.ReadRecordEqual(accountKey, props) == 0) {
        const platform::StoreError error = byAccount.LastError();
        if (error == platform::StoreError::NotFound) break;
        if (error != platform::StoreError::Undecodable) return failed();
        problem.Show();
        continue;
      }
      MoneyRecord work;
      work.Reset();
      FillMoneyRecord(props, work);
      moneyList.Append(std::move(work));
    }
  } else if (byAccount.LastError() != platform::StoreError::NotFound) {
    return failed();
  }
  // A record that cannot be decoded has no account that the order could place it by: it may be
  // one of this account's, and a full read would have reported it.
  const std::optional<bool> undecodable = byAccount.HoldsUndecodable();
  if (!undecodable) return failed();
  if (*undecodable) problem.Show();
  return true;
}

bool LoadMoneyRecords(Databases& store, MoneyList& moneyList,
                      std::optional<std::uint32_t> onlyAccount, MessageService& ui) {
  DatabaseSlot& slot = store.Money();
  const OpenStatus opened = store.VolumeIsOpen() ? store.Reopen(slot) : OpenStatus::Failed;
  if (opened == OpenStatus::NotFound && store.ReadOnly()) {
    moneyList = MoneyList();
    return false;
  }
  if (opened != OpenStatus::Opened) {
    ShowDatabaseProblem(ui);
    return false;
  }
  const std::optional<std::uint32_t> count = slot.handle.RecordCount();
  if (!count) {
    ShowDatabaseProblem(ui);
    return false;
  }
  moneyList = MoneyList();
  if (*count == 0) return false;
  ProblemOnce problem(ui);

  // Room for every record the database holds: an account may own them all. A large list's
  // storage is mapped memory that costs only where records are written, so the room left over
  // is address space, while growing the list step by step would move every record it holds and
  // touch twice the memory.
  moneyList.Reserve(*count);
  if (!onlyAccount) {
    return LoadInKeyOrder(
        slot, *count, moneyList, [](const platform::Record&) { return true; }, problem);
  }
  // An account without a key (its stored record lacks one) also takes the money records that
  // lack an account key: the order keeps those apart, so they are found by a full read, as they
  // are where a read-only volume of the first version keeps no order at all.
  if (*onlyAccount != kNoKey) {
    platform::OpenedDatabase byAccount =
        store.Volume().OpenDatabase(slot.name, store::money::kAccountKey);
    if (byAccount.status == OpenStatus::Opened) {
      return LoadThroughAccountOrder(slot, byAccount.handle, *onlyAccount, moneyList, problem);
    }
  }
  return LoadInKeyOrder(
      slot, *count, moneyList,
      [&](const platform::Record& props) { return MoneyAccountKeyOf(props) == *onlyAccount; },
      problem);
}

}  // namespace

bool CreateCategoriesDatabase(Databases& store) {
  return CreateDatabase(store, store.Categories());
}
bool CreateAccountsDatabase(Databases& store) {
  return CreateDatabase(store, store.Accounts());
}
bool CreateMoneyDatabase(Databases& store) {
  static constexpr platform::PropId kAccountOrder[] = {store::money::kAccountKey};
  const platform::DateOrder dateOrder = MoneyDateOrder();
  return CreateDatabase(store, store.Money(), kAccountOrder, &dateOrder);
}

bool LoadCategories(Databases& store, CategoryList& categoryList) {
  return ReadFromFirstRecord(store, store.Categories(), [&](const platform::Record& props) {
    for (const platform::PropValue& prop : props) {
      // A nameless category could not be shown, sorted or chosen.
      if (prop.id != store::category::kName || prop.text.empty()) continue;
      CategoryRecord category;
      category.SetName(prop.text);
      categoryList.Append(std::move(category));
    }
  });
}

bool LoadAccounts(Databases& store, AccountList& accountList, AccountRecord& currentAccount,
                  Settings& settings) {
  const bool loaded =
      ReadFromFirstRecord(store, store.Accounts(), [&](const platform::Record& props) {
        AccountRecord work;
        work.Reset();
        FillAccountRecord(props, work);
        accountList.Append(std::move(work));
      });
  if (!loaded) return false;
  ChooseCurrentAccount(accountList, currentAccount, settings);
  return true;
}

bool OpenDatabases(Databases& store, CategoryList& categoryList, AccountList& accountList,
                   AccountRecord& currentAccount, Settings& settings, MessageService& ui) {
  if (!store.OpenVolume()) {
    ShowVolumeRefusal(ui, store.VolumeProblem(), store.VolumeSubject(),
                      store.VolumeFile().parent_path());
    return false;
  }
  const auto fail = [&store] {
    store.CloseAll();
    return false;
  };

  const Section categories = OpenAndLoad(
      store, store.Categories(), CreateCategoriesDatabase,
      [&] { return LoadCategories(store, categoryList); }, ui);
  if (categories == Section::Failed) return fail();

  const Section accounts = OpenAndLoad(
      store, store.Accounts(), CreateAccountsDatabase,
      [&] { return LoadAccounts(store, accountList, currentAccount, settings); }, ui);
  if (accounts == Section::Failed) return fail();

  DatabaseSlot& money = store.Money();
  if (store.ReadOnly()) {
    // Nothing is deleted or created; a missing money database reads as an empty one.
    if (store.Reopen(money) == OpenStatus::Failed) {
      ShowNamed(ui, StringId::BuildingError, money.name);
      return fail();
    }
    return true;
  }

  if (accounts == Section::Empty && !DeleteMoneyDatabase(store)) return fail();

  if (store.Reopen(money) != OpenStatus::Opened && !CreateMoneyDatabase(store)) {
    ShowNamed(ui, StringId::BuildingError, money.name);
    return fail();
  }
  return true;
}

bool LoadAccountMoneyRecords(Databases& store, MoneyList& moneyList,
                             const AccountRecord& currentAccount, MessageService& ui) {
  return LoadMoneyRecords(store, moneyList, currentAccount.key, ui);
}

bool LoadAllMoneyRecords(Databases& store, MoneyList& moneyList, MessageService& ui) {
  return LoadMoneyRecords(store, moneyList, std::nullopt, ui);
}

}  // namespace quidora
