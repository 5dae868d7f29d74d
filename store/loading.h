// Opening the three databases at start, and loading categories, accounts and money records
// into their lists. Every operation shows its own message where it fails; callers act on the
// result only.
#pragma once

#include "core/account_record.h"
#include "core/message_service.h"
#include "core/record_list.h"
#include "store/databases.h"
#include "store/settings.h"

namespace quidora {

// Opens the volume and opens or creates the three databases, loads the category and account
// lists and chooses the current account (the LastAccount setting, or the account at position
// 0, which then becomes LastAccount). With no accounts, any money database is deleted: money
// records cannot outlive their accounts. On false every handle is closed; the caller then
// shows that the program cannot continue. A refused volume is named in the building-error
// message with what is wrong with it.
//
// Over a store made with VolumeAccess::ReadOnly (a companion program, possibly while the device
// program runs) nothing is created, deleted or written: a database that does not exist reads as
// an empty one, and the money records load as usual.
bool OpenDatabases(Databases& store, CategoryList& categoryList, AccountList& accountList,
                   AccountRecord& currentAccount, Settings& settings, MessageService& ui);

// Each creates its database (one ascending sort order on the key) and opens it; true when the
// open succeeds.
bool CreateCategoriesDatabase(Databases& store);
bool CreateAccountsDatabase(Databases& store);
bool CreateMoneyDatabase(Databases& store);

// Used by OpenDatabases on an open database that holds records and whose first record is
// known. False when a read fails (what was appended so far stays).
bool LoadCategories(Databases& store, CategoryList& categoryList);
bool LoadAccounts(Databases& store, AccountList& accountList, AccountRecord& currentAccount,
                  Settings& settings);

// Replace the money list by the money records of the current account, or of all accounts, in
// key order. The current account's records are read through the money database's order on the
// account key, so the load costs that account's records, not the whole database. False with an
// empty list when the database holds no records. When the database cannot be opened or read:
// the database-problem message and false (the list is left as it was when the open fails, and
// holds the records read so far when a read fails). A record whose stored properties cannot be
// decoded is left out, the database-problem message shown once, and every readable record
// loaded (true).
bool LoadAccountMoneyRecords(Databases& store, MoneyList& moneyList,
                             const AccountRecord& currentAccount, MessageService& ui);
bool LoadAllMoneyRecords(Databases& store, MoneyList& moneyList, MessageService& ui);

}  // namespace quidora
