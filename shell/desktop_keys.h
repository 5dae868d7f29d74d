// The desktop keyboard of the main window: Ctrl+N is "New", Delete removes the selected row as
// the transaction dialog's Delete does (its copy goes to the undo list), Ctrl+Z is "Undo
// Deleting". They act while the account view or the menu bar has the focus (the bar keeps it
// after F10 and a menu closed with Escape) and no dialog runs; a greyed command's key does
// nothing.
#pragma once

namespace quidora {

class MainWindow;
class Program;

void InstallDesktopKeys(Program& program, MainWindow& window);

// Deletes the money record of the selected row after the same question as the transaction
// dialog's Delete, through the undo list (the user is asked again when the list is full). False when no row is selected or nothing was deleted.
bool DeleteSelectedRow(Program& program, MainWindow& window);

}  // namespace quidora
