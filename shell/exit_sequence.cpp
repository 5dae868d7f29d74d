#include "shell/exit_sequence.h"

#include "platform/backup_check.h"
#include "platform/registry.h"
#include "program/program.h"
#include "shell/user_notice.h"
#include "store/databases.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora {

void RunExitSequence(Program& program) {
  // The tidying below always writes; only what came before it says whether the run changed
  // the store.
  program.storeChangedThisRun =
      platform::VolumeMarkedInUse(program.store.VolumeFile()).value_or(true);
  // A store found damaged during the run was told about then; writing to it now could only
  // spread the damage, so its tidying and its mark of a clean end are left out.
  const bool storeWritable =
      !program.store.VolumeIsOpen() || !program.store.Volume().WritesRefused();
  // Each step's failure is reported by the step itself; the rest still runs, so the settings
  // are written whatever the databases said.
  if (storeWritable) {
    DeleteEmptyMoneyDatabase(program.store);
    DeleteEmptyAccountsDatabase(program.store, program.accounts);
    RewriteCategories(program.store, program.categories, program.messages);
  }

  program.settings.sort = program.sortColumn;
  program.settings.sortOrder = program.sortOrder;
  if (program.currentAccount.HasName()) {
    SetLastAccount(program.settings, program.currentAccount.Name());
  }
  // The run's settings are lost when they cannot be written (a full disk, a folder in the
  // way): the user hears it while the screen is still up.
  if (!WriteSettings(program.registry, program.settings)) {
    TellUser(program.messages, *program.errors, StringId::SettingsNotSaved,
             program.registry.File());
  }
  if (const auto& kept = program.registry.SetAsideCopy(); !kept.empty()) {
    NoteOnErrors(*program.errors, program.registry.File().string() +
                                      " was damaged; it was set aside as " + kept.string());
  }
  // Last: the next start may skip the whole-file check of the store.
  if (storeWritable) program.store.MarkCleanEnd();
}

}  // namespace quidora
