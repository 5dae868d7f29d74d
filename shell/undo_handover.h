// The undo list across a restart for a new zoom. The list lives in memory only, so the ending
// copy hands it to the next one through an anonymous in-memory file that stays open across the
// exec; nothing of it reaches the disk.
#pragma once

#include "core/record_list.h"

namespace quidora {

// Writes `undo` into a new anonymous in-memory file left open across exec and names it in the
// environment for the next copy. False when it cannot; the list then ends with this run, as it
// does at exit.
bool HandOverUndoList(const MoneyList& undo);

// The list the previous copy handed over, oldest first; empty when there is none. Only a file
// this program made is read (and then closed); the environment forgets it either way.
MoneyList TakeHandedOverUndoList();

}  // namespace quidora
