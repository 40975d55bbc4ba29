// Disable and Enable as Windows keeps them: for a Run value or a startup
// file, a value of the entry's name below StartupApproved (never the entry
// itself); for a task, the Task Scheduler's own switch.
#include "core/actions/action_steps.h"
#include "core/actions/actions.h"
#include "core/actions/change_states.h"
#include "core/collectors/scheduled_tasks.h"
#include "core/collectors/startup_states.h"
#include "core/registry.h"
#include "platform/owner.h"

namespace qm {

namespace {

bool Disabled(const Entry& entry) { return entry.startup && entry.startup->kind == StartupState::Kind::Disabled; }

// A task read from its file: whether its definition enables it.
std::optional<bool> TaskEnabled(const Entry& entry) {
    const auto* task = std::get_if<TaskLocation>(&entry.where);
    if (!task || !task->read) return std::nullopt;
    return entry.task.enabled.value_or(true);  // a definition without <Enabled> is enabled
}

// The task through the Task Scheduler, only while its file still holds
// what was listed: a task that another program rewrote while the question
// was open is not the task the user confirmed.
Outcome ToggleTask(ActionContext& context, const Category& category, const Entry& selected, bool enable) {
    const TaskLocation task = std::get<TaskLocation>(selected.where);
    const std::string path = TaskPathIn(task.taskFolder, task.name);
    const std::string question =
        enable ? "Enable the task \"" + path + "\"? The Task Scheduler will start it again when its triggers come."
               : "Disable the task \"" + path +
                     "\"? The Task Scheduler will not start it; the task stays as it is, and can be enabled again.";
    if (context.ask.Show({DialogKind::Confirmation, "Confirm", question}) != DialogResult::Yes)
        return Outcome::NothingDone;
    Platform& platform = context.platform;
    ChangeRecord record{
        .kind = ChangeKind::SwitchedTask, .category = category.id, .entry = path, .where = task.folder + task.name};
    record.task = KeptTask{.enabledAfter = enable};
    ChangeListedTask(
        context, task, enable ? "enabled" : "disabled", record,
        [&] { return platform.tasks.SetTaskEnabled(task.taskFolder, task.name, enable); },
        [&](const std::vector<std::uint8_t>& after) {
            std::string problem;
            return ReadTaskDefinition(platform, after, problem).enabled == enable && problem.empty();
        });
    return Outcome::PlaceReread;
}

}  // namespace

std::optional<std::string> StartupToggleCaption(const Entry* selected) {
    if (!selected) return std::nullopt;
    if (const std::optional<bool> enabled = TaskEnabled(*selected)) return *enabled ? "Disa&ble" : "&Enable";
    if (!selected->startup) return std::nullopt;
    return Disabled(*selected) ? "&Enable" : "Disa&ble";
}

Outcome ToggleStartup(ActionContext& context, const Category& category, const Entry& selected) {
    if (const std::optional<bool> enabled = TaskEnabled(selected))
        return ToggleTask(context, category, selected, !*enabled);
    if (!selected.startup) return Outcome::NothingDone;
    // Copies: the list may be read again while the question is open.
    const RegistryLocation at = selected.startup->at;
    const bool enable = Disabled(selected);
    const std::string name = selected.name;
    const std::string question =
        enable ? "Enable \"" + name + "\"? Windows will start it again when the user logs on."
               : "Disable \"" + name +
                     "\"? Windows will not start it when the user logs on. The entry itself stays as it is, and "
                     "can be enabled again.";
    if (context.ask.Show({DialogKind::Confirmation, "Confirm", question}) != DialogResult::Yes)
        return Outcome::NothingDone;
    IRegistry& registry = context.platform.registry;
    const std::string madeKey = FirstMissingKey(registry, at.root, at.view, at.key);
    KeyHandle opened;
    long error =
        registry.CreateKey(RootKeyOf(at.root), at.key, kKeyQueryValue | kKeySetValue | ViewAccessFlag(at.view), opened);
    const KeyOwner key(registry, error == kErrorSuccess ? opened : KeyHandle{});
    if (key) {
        // The value as it is now (none when Explorer keeps none) is what a
        // restore writes back.
        ChangeRecord record{
            .kind = ChangeKind::SwitchedStartup, .category = category.id, .entry = name, .where = WhereText(at)};
        record.value = KeptValueAt(at, at.value);
        record.value->madeKey = madeKey;
        if (RegValue now; ReadKeyValue(registry, key.Get(), at.value, now) == kErrorSuccess)
            record.value->before = std::move(now);
        record.value->after = RegValue{kRegBinary, EncodeStartupState(enable, context.platform.system.FileTimeNow())};
        std::string recorded;
        if (!RecordChange(context, record, name, enable ? "enabled" : "disabled", &recorded))
            return Outcome::NothingDone;
        error = registry.SetValue(key.Get(), at.value, kRegBinary, record.value->after->data);
        if (error != kErrorSuccess) DropRecord(context, recorded);
    }
    if (error != kErrorSuccess) {
        context.ask.Show({DialogKind::Error, "Error",
                          "\"" + name + "\" was not " + (enable ? "enabled" : "disabled") + ": " +
                              RootKeyName(at.root) + "\\" + at.key + " could not be written (error " +
                              std::to_string(error) + ")."});
        return Outcome::NothingDone;
    }
    return Outcome::PlaceReread;
}

}  // namespace qm
