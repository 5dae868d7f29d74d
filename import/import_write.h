// The one write of an import: every planned record, the new categories and (when asked) the
// new account, stored together or not at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/message_service.h"
#include "core/record_list.h"
#include "import/import_plan.h"
#include "store/databases.h"

namespace quidora::import {

// Where the records go: an existing account, or a new one made with this name and created
// today (as the account dialog makes one, with an empty description).
struct ImportTarget {
  std::optional<std::uint32_t> accountKey;
  std::u16string newAccountName;
  SystemTime today;
};

// Writes through `store`, which is open for writing, in one StoreBatch: the money database (and
// the accounts database for a new account) created where the store has none yet, the new
// account added, the category list with the plan's new categories rewritten, and each planned
// record added as the transaction dialog's OK adds one (AddMoneyRecord: a key from the clock,
// moved on to the next free key). A plan with problems writes nothing. On success the new
// categories are appended to `categories`, the new account to `accounts`, and the account's
// key handed back; on failure the store and both lists are as they were, after the failing
// operation's own message.
std::optional<std::uint32_t> WriteImport(Databases& store, const ImportPlan& plan,
                                         const ImportTarget& target, CategoryList& categories,
                                         AccountList& accounts, MessageService& ui);

}  // namespace quidora::import
