#include "shell/command_states.h"

#include "platform/ui/device_screen.h"
#include "platform/ui/menu_bar.h"
#include "shell/command_ids.h"
#include "program/program.h"

namespace quidora {

void SetMoneyCommandsEnabled(Program& program, bool enabled) {
  ui::MenuBar& menu = program.screen.Menu();
  menu.SetCommandEnabled(command::kTransactionsReport, enabled);
  menu.SetCommandEnabled(command::kTransactionsReportButton, enabled);
  menu.SetCommandEnabled(command::kExportTransactions, enabled);
  menu.SetCommandEnabled(command::kDeleteByRange, enabled);
}

void UpdateCommandStates(Program& program) {
  SetMoneyCommandsEnabled(program, !program.money.empty());
  program.screen.Menu().SetCommandEnabled(command::kAccountsBalance, !program.accounts.empty());
}

void UpdateUndoCommands(Program& program) {
  const bool any = !program.undo.empty();
  ui::MenuBar& menu = program.screen.Menu();
  menu.SetCommandEnabled(command::kUndoDeleting, any);
  menu.SetCommandEnabled(command::kUndoDeletingButton, any);
  menu.SetCommandEnabled(command::kEmptyUndo, any);
}

}  // namespace quidora
