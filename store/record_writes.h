// Writing each change through to the databases: money and account records added, rewritten
// or deleted by key, the categories database rewritten from the category list, an account's
// money records removed, and the tidying at shutdown. No operation here changes an in-memory
// list; the callers update their lists and views on success.
//
// Inside a StoreBatch these operations are stored together at the batch's Commit (see
// databases.h); outside one, each is durable when it returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/account_record.h"
#include "core/message_service.h"
#include "core/money_record.h"
#include "core/record_list.h"
#include "store/databases.h"

namespace quidora {

// Stores `record` as a new record under a new key, handed back in `newKey` (the record's own
// key is ignored, so a restored record gets a fresh one). On failure: the adding-error message
// naming the database, false.
bool AddMoneyRecord(Databases& store, const MoneyRecord& record, std::uint32_t& newKey,
                    MessageService& ui);
bool AddAccountRecord(Databases& store, const AccountRecord& record, std::uint32_t& newKey,
                      MessageService& ui);

// Rewrites the stored record that has the record's key. False without a message when no
// record has that key; the edit-error message when the database cannot be opened, read or
// written.
bool UpdateMoneyRecord(Databases& store, const MoneyRecord& record, MessageService& ui);
bool UpdateAccountRecord(Databases& store, const AccountRecord& record, MessageService& ui);

// Deletes the stored record with `key`. False without a message when there is none; the
// deleting-error message when the database cannot be opened, read or changed.
bool DeleteMoneyRecord(Databases& store, std::uint32_t key, MessageService& ui);
bool DeleteAccountRecord(Databases& store, std::uint32_t key, MessageService& ui);

// Deletes every money record of the account, all or nothing. True when they are gone (also
// when the account had none); false without a message when the money database holds no
// records at all; the database-problem message when it cannot be opened or read; a failed
// deletion shows the deleting-error message and nothing is deleted.
bool DeleteAccountMoneyRecords(Databases& store, std::uint32_t accountKey, MessageService& ui);

// Delete by range: the money records of one account whose date number lies in first..last
// (both included), the records of that account's list in memory with such a date. They are
// found through the money database's date order and deleted by what it hands over, so a key
// that an older version stored twice never takes a record outside the range; a record whose
// properties cannot be decoded is left alone. A volume that keeps no order is read as loading
// reads it.
//
// How many there are; on a failed read the database-problem message and nothing.
std::optional<std::size_t> CountMoneyRecordsInRange(Databases& store, std::uint32_t accountKey,
                                                    std::uint32_t first, std::uint32_t last,
                                                    MessageService& ui);
// Deletes them all in one group with one sync: afterwards either all of them are gone or none
// is, and a failure shows the deleting-error message naming the money database (false).
bool DeleteMoneyRecordsInRange(Databases& store, std::uint32_t accountKey, std::uint32_t first,
                               std::uint32_t last, MessageService& ui);

// Replaces the categories database by one record per category of the list, in list order,
// keyed by position; with an empty list no categories database remains. The old database is
// kept whole unless the new one is stored whole. A failed write shows the edit-error message;
// when the old database cannot be deleted or the new one opened, false without a message.
bool RewriteCategories(Databases& store, const CategoryList& categoryList, MessageService& ui);

// Shutdown: the money database is deleted when it holds no records, the accounts database
// when the account list is empty. True when there was nothing to do or the deletion worked.
// Both leave their handle closed.
bool DeleteEmptyMoneyDatabase(Databases& store);
bool DeleteEmptyAccountsDatabase(Databases& store, const AccountList& accountList);

}  // namespace quidora
