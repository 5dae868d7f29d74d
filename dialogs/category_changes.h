// Carrying a category's rename or deletion over to the money records of every account. Each runs
// as one store batch: every matching record changes, or none does. Both leave the money list
// holding the current account's records again.
#pragma once

#include <string_view>

namespace quidora {

class Program;

namespace dialogs {

// Deletes every money record whose category is exactly `name`. Sets the categories-changed flag
// and recomputes the current account's balance when records were deleted; true then.
bool DeleteCategoryRecords(Program& program, std::u16string_view name);

// Gives every money record whose category is exactly `oldName` the category `newName`. Sets the
// categories-changed flag when records were rewritten; true then.
bool RenameCategoryRecords(Program& program, std::u16string_view oldName,
                           std::u16string_view newName);

}  // namespace dialogs
}  // namespace quidora
