// A file dropped on the device program's window is imported into the shown account: the
// program's Yes/No box asks "Import N records from FILE into ACCOUNT?" (N after the records
// already in the account are taken out), Yes imports and refills the view with its balance, No
// leaves everything as it was. A file that cannot be imported is named with its first problem.
#pragma once

#include <string>

namespace quidora {

class MainWindow;
class Program;

// Lets the screen take dropped files. Drops are taken only while no dialog runs.
void InstallFileDrop(Program& program, MainWindow& window);

enum class DropOutcome {
  Imported,
  Declined,  // the user answered No, or there was nothing to add
  Refused,   // the file, the account or the store did not allow it (the user was told)
};

// The import of one dropped file, as the drop runs it.
DropOutcome ImportDroppedFile(Program& program, MainWindow& window, const std::string& path);

}  // namespace quidora
