// What the editing dialogs need from the window that runs them. The main window implements it;
// tests implement it with a recorder. The dialogs change the program-wide lists and records in
// `Program` themselves; everything that lives in the main window's own widgets (the money list
// view, the account chooser, the command states, the undo list's menu items) goes through here so
// that list and view never drift apart.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/money_record.h"

namespace quidora {

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // Enables or greys the commands that depend on the list counts.
  virtual void UpdateCommandStates() = 0;

  // Keeps a copy of a money record the user is deleting in the undo list. When the list is full
  // the user is asked whether the oldest copy may go; false means the user refused and nothing
  // may be deleted.
  virtual bool PushDeleted(const MoneyRecord& record) = 0;
  // Forgets the undo list's copies of the records of a deleted account: restored, they would
  // belong to no account.
  virtual void DropDeletedOfAccount(std::uint32_t accountKey) = 0;

  // Removes the money list's record at `position` together with row `position` of the money list
  // view (list and rows stay in step). Greys what needs a non-empty list when the last row goes.
  virtual void RemoveMoneyRecordAndRow(int position) = 0;

  // The account chooser of the account view (a sorted drop-down of all account names).
  virtual void AddAccountChoice(std::u16string_view name) = 0;
  // Removes the entry equal to `name` (exact, case matters); false when there is none.
  virtual bool RemoveAccountChoice(std::u16string_view name) = 0;
  // Selects the entry equal to `name`, else the first entry beginning with it.
  virtual void SelectAccountChoice(std::u16string_view name) = 0;

  // Repaints the account view (heading and balance line).
  virtual void RepaintAccountView() = 0;

  // The dialog reloaded the money list from the store (every account's records, or the current
  // account's in stored order): the rows no longer show it, and the window sorts and refills
  // them once the command's dialogs have ended.
  virtual void MoneyListReloaded() = 0;
};

}  // namespace quidora
