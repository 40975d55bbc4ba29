#include "core/actions/action_steps.h"

#include <cstdio>

#include "core/actions/change_states.h"
#include "core/collectors/scheduled_tasks.h"
#include "core/model/native_path.h"

namespace qm {

namespace {

bool ReadTaskFile(Platform& platform, const TaskLocation& task, std::vector<std::uint8_t>& bytes) {
    return platform.files.ReadFileBytes(NativePath(platform, task.folder + task.name), kMaxTaskFileBytes, bytes) ==
           kErrorSuccess;
}

}  // namespace

bool ConfirmDeletion(IDialogs& ask, const std::string& what) {
    const DialogRequest question{DialogKind::Confirmation, "Confirm",
                                 "Are you sure want to delete autorun \"" + what + "\" ?"};
    return ask.Show(question) == DialogResult::Yes;
}

void ChangeListedTask(ActionContext& context, const TaskLocation& task, const std::string& done, ChangeRecord record,
                      const std::function<long()>& change,
                      const std::function<bool(const std::vector<std::uint8_t>&)>& shows) {
    Platform& platform = context.platform;
    const std::string quoted = "\"" + TaskPathIn(task.taskFolder, task.name) + "\" was not " + done + ": ";
    std::vector<std::uint8_t> now;
    std::string refused, recorded;
    const std::optional<bool> enabledAfter = record.task ? record.task->enabledAfter : std::nullopt;
    record.task = KeptTask{task.folder, task.taskFolder, task.name, now, enabledAfter};
    if (!ReadTaskFile(platform, task, now) || now != task.listed) {
        refused = quoted + "its task file changed since it was listed.";
    } else if (record.task->file = now;
               !RecordChange(context, record, TaskPathIn(task.taskFolder, task.name), done, &recorded)) {
        return;  // nothing changed; the user was told why
    } else if (const long hr = change(); static_cast<std::uint32_t>(hr) & 0x80000000u) {  // an HRESULT's failure bit
        DropRecord(context, recorded);
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
        refused = quoted + "the Task Scheduler refused (error " + code + ").";
    } else if (shows) {
        // The scheduler writes the change into the task's file; one that
        // says it did and left the file as it was (Wine's) changed nothing
        // the next start of Windows would see.
        std::vector<std::uint8_t> after;
        if (!ReadTaskFile(platform, task, after) || !shows(after))
            refused = quoted + "the Task Scheduler accepted the change, but the task's file does not say so.";
    }
    if (!refused.empty()) context.ask.Show({DialogKind::Error, "Error", refused});
}

}  // namespace qm
