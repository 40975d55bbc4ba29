// Putting a change back from its journal record, and forgetting a record.
#pragma once
#include <string>
#include <vector>

#include "core/actions/actions.h"
#include "core/journal/journal.h"

namespace qm {

// "&Restore": after the user confirmed it, puts back exactly what the
// record holds, only where that place is still free (no value, file, task
// or service of that name) or, for a switch or a start type, where the
// state is still what the change left; otherwise says what is there now and
// changes nothing. The restore is journaled first. True when something was
// put back.
bool RestoreChange(ActionContext& context, const JournalItem& item);

// "&Forget": the record removed from the journal after the user confirmed
// it. True when it is gone.
bool ForgetChange(ActionContext& context, const JournalItem& item);

// What the Changes window and the report show of one record: when (local
// time, "2026-12-11 15:34:02"), what was done, the entry, where. A damaged
// record shows its file's name and why it is damaged.
struct ChangeCells {
    std::string when, done, entry, where;
};
ChangeCells CellsOf(Platform& platform, const JournalItem& item);

}  // namespace qm
