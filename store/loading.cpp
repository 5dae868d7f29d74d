#include "store/loading.h"

#include <optional>
#include <utility>

#include "store/database_layout.h"
#include "store/record_properties.h"
#include "store/store_messages.h"

namespace quidora {

namespace {

using platform::OpenStatus;

enum class Section { Empty, Loaded, Failed };

void ShowBareBuildingError(MessageService& ui) {
  ui.Show(LoadString(StringId::BuildingError), MessageIcon::Stop);
}

bool CreateDatabase(Databases& store, DatabaseSlot& slot) {
  // The creation's own answer is not needed: the open that follows tells whether it worked.
  store.Volume().CreateDatabase(slot.name, 0, platform::kKeyPropId);
  return store.Reopen(slot) == OpenStatus::Opened;
}

// Opens the categories or accounts database (creating it when it cannot be opened), learns
// its first record and runs `load` on it.
template <typename Load>
Section OpenAndLoad(Databases& store, DatabaseSlot& slot, bool (*create)(Databases&), Load load,
                    MessageService& ui) {
  slot.firstRecord = 0;
  if (store.Reopen(slot) != OpenStatus::Opened) {
    if (!create(store)) {
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

// The account key a money record gets when it is filled from these properties.
std::uint32_t AccountKeyOf(const platform::Record& props) {
  std::uint32_t accountKey = kNoKey;
  for (const platform::PropValue& prop : props) {
    if (prop.id == store::money::kAccountKey) accountKey = prop.number;
  }
  return accountKey;
}

bool LoadMoneyRecords(Databases& store, MoneyList& moneyList,
                      std::optional<std::uint32_t> onlyAccount, MessageService& ui) {
  DatabaseSlot& slot = store.Money();
  if (!store.VolumeIsOpen() || store.Reopen(slot) != OpenStatus::Opened) {
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
  if (!onlyAccount) moneyList.Reserve(*count);

  platform::Record props;
  props.reserve(9);
  for (std::uint32_t i = 0; i < *count; ++i) {
    if (slot.handle.ReadRecord(props) == 0) {
      ShowDatabaseProblem(ui);
      slot.Close();
      return false;
    }
    // Most records of a large database belong to other accounts: skip them before building
    // their texts. The last account-key property wins, as it does when the record is filled.
    if (onlyAccount && AccountKeyOf(props) != *onlyAccount) continue;
    MoneyRecord work;
    work.Reset();
    FillMoneyRecord(props, work);
    if (!onlyAccount || work.accountKey == *onlyAccount) moneyList.Append(std::move(work));
  }
  return true;
}

}  // namespace

bool CreateCategoriesDatabase(Databases& store) {
  return CreateDatabase(store, store.Categories());
}
bool CreateAccountsDatabase(Databases& store) {
  return CreateDatabase(store, store.Accounts());
}
bool CreateMoneyDatabase(Databases& store) {
  return CreateDatabase(store, store.Money());
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
    ShowBareBuildingError(ui);
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

  if (accounts == Section::Empty && !DeleteMoneyDatabase(store)) return fail();

  DatabaseSlot& money = store.Money();
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
