#include "shell/exit_sequence.h"

#include "shell/program.h"
#include "store/databases.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora {

void RunExitSequence(Program& program) {
  // Each step's failure is reported by the step itself (or is silent); the rest still runs, so
  // the settings are written whatever the databases said.
  DeleteEmptyMoneyDatabase(program.store);
  DeleteEmptyAccountsDatabase(program.store, program.accounts);
  RewriteCategories(program.store, program.categories, program.messages);

  program.settings.sort = program.sortColumn;
  program.settings.sortOrder = program.sortOrder;
  if (program.currentAccount.HasName()) {
    SetLastAccount(program.settings, program.currentAccount.Name());
  }
  WriteSettings(program.registry, program.settings);
  // Last: the next start may skip the whole-file check of the store.
  program.store.MarkCleanEnd();
}

}  // namespace quidora
