// The undo list: copies of the money records the user deleted one by one, newest last, at most
// kUndoCapacity of them. It lives in memory only and is empty at every start.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quidora {

class MainWindow;
class MoneyRecord;
class Program;

inline constexpr std::size_t kUndoCapacity = 12;

// Keeps a copy of `record`. With the list full the user is asked whether the oldest copy may
// go for good; false when the user refuses (nothing may then be deleted).
bool PushDeleted(Program& program, const MoneyRecord& record);

// Stores the newest copy again as a new record with a new key and drops it from the list; a
// record of the shown account reappears at the end of the money list view, selected. When the
// store refuses, the copy stays in the list.
void RestoreNewest(Program& program, MainWindow& window);

// Forgets every copy; the databases are not touched.
void EmptyUndoList(Program& program);

// Forgets the copies of the records of account `accountKey`, which was just deleted.
void DropDeletedOfAccount(Program& program, std::uint32_t accountKey);

}  // namespace quidora
