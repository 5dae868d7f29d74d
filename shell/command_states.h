// The enabled state of the commands that depend on the data, kept in the menu bar.
#pragma once

namespace quidora {

class Program;

// Transactions Report (menu and toolbar), Export Transactions and Delete by Range of Dates
// need money records of the shown account.
void SetMoneyCommandsEnabled(Program& program, bool enabled);

// Sets the money commands from the money list and Accounts Balance from the account list.
void UpdateCommandStates(Program& program);

// Undo Deleting (menu and toolbar) and Empty Undo Transactions follow the undo list.
void UpdateUndoCommands(Program& program);

}  // namespace quidora
