// Steps several actions share: the deletion question, and a change made
// through the Task Scheduler only while the task is what was listed.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/actions/actions.h"
#include "core/journal/journal.h"

namespace qm {

// "Are you sure want to delete autorun "WHAT" ?", answered "&Yes".
bool ConfirmDeletion(IDialogs& ask, const std::string& what);

// Makes `change` (an HRESULT) through the Task Scheduler only while the
// task's file still holds what was listed: a task that another program
// rewrote while the question was open is not the task the user confirmed.
// With `shows`, the file is read again afterwards and must show the change.
// Whatever was not done is said in an error box naming `done` ("deleted",
// "disabled"). `record` is written to the journal, with the task's file as
// it is, before the change is made.
void ChangeListedTask(ActionContext& context, const TaskLocation& task, const std::string& done, ChangeRecord record,
                      const std::function<long()>& change,
                      const std::function<bool(const std::vector<std::uint8_t>&)>& shows = {});

}  // namespace qm
