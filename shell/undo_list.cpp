#include "shell/undo_list.h"

#include "core/record_list.h"
#include "platform/ui/wait_cursor.h"
#include "resources/strings/string_table.h"
#include "shell/command_states.h"
#include "shell/main_window.h"
#include "program/program.h"
#include "store/record_writes.h"

namespace quidora {

bool PushDeleted(Program& program, const MoneyRecord& record) {
  if (program.undo.Count() >= kUndoCapacity) {
    const MessageAnswer answer = program.messages.Show(
        LoadString(StringId::UndoFull), MessageIcon::Exclamation, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return false;
    program.undo.First();
    program.undo.RemoveAt(0);
  }
  if (program.undo.Append(record) == nullptr) return false;
  UpdateUndoCommands(program);
  return true;
}

void RestoreNewest(Program& program, MainWindow& window) {
  if (program.undo.empty()) {
    UpdateUndoCommands(program);
    return;
  }
  program.workMoney.Reset();
  program.workMoney.CopyFrom(program.undo[program.undo.size() - 1]);

  std::uint32_t newKey = 0;
  if (AddMoneyRecord(program.store, program.workMoney, newKey, program.messages)) {
    {
      ui::WaitCursor wait(program.messages);
      program.workMoney.key = newKey;
      program.undo.RemoveAt(program.undo.size() - 1);
      if (program.workMoney.accountKey == program.currentAccount.key) {
        window.AppendShownRecord(program.workMoney);
      }
    }
    window.RecomputeBalance();
  }
  UpdateUndoCommands(program);
}

void EmptyUndoList(Program& program) {
  if (!program.undo.empty()) program.undo.Clear();
  UpdateUndoCommands(program);
}

void DropDeletedOfAccount(Program& program, std::uint32_t accountKey) {
  for (std::size_t position = program.undo.size(); position-- > 0;) {
    if (program.undo[position].accountKey == accountKey) program.undo.RemoveAt(position);
  }
  UpdateUndoCommands(program);
}

}  // namespace quidora
