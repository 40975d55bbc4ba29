// Putting back what a record holds. A record names its own place, and the
// journal's folder is the elevated program's alone, but a restore still
// writes only where that place is free (a deletion's) or still shows what
// the change left (a rewrite's, a switch's): it never overwrites anything.
#include "core/actions/restore.h"

#include <cstdio>

#include "core/actions/action_steps.h"
#include "core/actions/change_states.h"
#include "core/collectors/collector.h"
#include "core/collectors/scheduled_tasks.h"
#include "core/model/file_names.h"
#include "core/model/native_path.h"
#include "core/registry.h"
#include "platform/text_utf.h"

namespace qm {

namespace {

std::string Hresult(long hr) {
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
    return code;
}

bool Failed(long hr) { return (static_cast<std::uint32_t>(hr) & 0x80000000u) != 0; }

// The restore's own record: what it puts back, and from which record.
ChangeRecord RestoreRecord(const JournalItem& item) {
    ChangeRecord restore = *item.record;
    restore.kind = ChangeKind::Restored;
    restore.restoredKind = item.record->kind;
    restore.restoredRecord = item.file;
    return restore;
}

bool Journaled(ActionContext& context, const JournalItem& item, std::string& recorded) {
    ChangeRecord restore = RestoreRecord(item);
    return RecordChange(context, restore, item.record->entry, "put back", &recorded);
}

// ---- Registry values --------------------------------------------------------

std::string RestoreDeletedValue(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const ChangeRecord& record = *item.record;
    const KeptValue& kept = *record.value;
    IRegistry& registry = context.platform.registry;
    KeyOwner key;
    long error = OpenValueKey(registry, kept, kKeyQueryValue | kKeySetValue, false, key);
    const bool keyGone = error == kErrorFileNotFound;
    if (keyGone) error = OpenValueKey(registry, kept, kKeyQueryValue | kKeySetValue, true, key);
    if (error != kErrorSuccess) return "its key cannot be opened (error " + std::to_string(error) + ").";
    RegValue now;
    if (ReadKeyValue(registry, key.Get(), kept.name, now) == kErrorSuccess)
        return "a value of that name is there now (" + ValueTypeAndSize(now.type, now.data.size()) + ").";
    if (!Journaled(context, item, recorded)) return std::string();
    // A component's key that is gone comes back with every value it held.
    if (keyGone && !record.keyValues.empty()) {
        for (const auto& [name, value] : record.keyValues)
            if ((error = registry.SetValue(key.Get(), name, value.type, value.data)) != kErrorSuccess) break;
    } else {
        error = registry.SetValue(key.Get(), kept.name, kept.before->type, kept.before->data);
    }
    return error == kErrorSuccess ? std::string()
                                  : "the value could not be written (error " + std::to_string(error) + ").";
}

// A rewritten list value or a startup switch: only while the value is what
// the change left.
std::string RestoreRewrittenValue(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const KeptValue& kept = *item.record->value;
    IRegistry& registry = context.platform.registry;
    if (!kept.after) return "the record does not say what the change left.";
    KeyOwner key;
    long error = OpenValueKey(registry, kept, kKeyQueryValue | kKeySetValue, false, key);
    if (error != kErrorSuccess) return "its key cannot be opened (error " + std::to_string(error) + ").";
    RegValue now;
    if (ReadKeyValue(registry, key.Get(), kept.name, now) != kErrorSuccess) return "the value is no longer there.";
    if (now.type != kept.after->type || now.data != kept.after->data)
        return "the value changed since (it holds " + ValueTypeAndSize(now.type, now.data.size()) + " now).";
    if (!Journaled(context, item, recorded)) return std::string();
    error = kept.before ? registry.SetValue(key.Get(), kept.name, kept.before->type, kept.before->data)
                        : registry.DeleteValue(key.Get(), kept.name);
    key.Reset();
    if (error == kErrorSuccess && !kept.before) RemoveMadeKeys(registry, kept);
    return error == kErrorSuccess ? std::string()
                                  : "the value could not be written (error " + std::to_string(error) + ").";
}

// ---- Files ------------------------------------------------------------------

std::string RestoreFile(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const KeptFile& kept = *item.record->file;
    IFiles& files = context.platform.files;
    const std::string& name = kept.name;
    if (!IsPlainFileName(name)) return "its name is not a plain file name.";

    const std::string folderPath = WithoutSlash(kept.folder);
    long error = kErrorSuccess;
    FinalPath folderFinal;
    {
        const FileOwner folder(files, files.OpenEntry(folderPath, EntryAccess::Attributes, error));
        FileEntryInfo info;
        if (!folder) return "the folder " + folderPath + " is not there (error " + std::to_string(error) + ").";
        if (!files.GetEntryInfo(folder.Get(), info) || !(info.attributes & kFileAttributeDirectory) ||
            (info.attributes & kFileAttributeReparsePoint) || !files.GetFinalPath(folder.Get(), folderFinal) ||
            context.platform.system.LowerCase(WithoutSlash(folderFinal.exact)) !=
                context.platform.system.LowerCase(folderPath))
            return "the folder " + folderPath +
                   " is no longer a folder of its own (it was made a link, or lies "
                   "under one).";
    }
    if (files.GetFileAttributes(WithoutSlash(kept.folder) + "\\" + name) != kInvalidFileAttributes)
        return "a file of that name is there now.";
    if (!Journaled(context, item, recorded)) return std::string();
    const FileOwner made(files, files.CreateNewFile(folderPath + "\\" + name, error));
    if (!made)
        return error == kErrorFileExists ? "a file of that name is there now."
                                         : "it could not be made (error " + std::to_string(error) + ").";
    FinalPath madeFinal;
    if (!files.GetFinalPath(made.Get(), madeFinal) ||
        context.platform.system.LowerCase(ParentOf(madeFinal.exact)) !=
            context.platform.system.LowerCase(WithoutSlash(folderFinal.exact))) {
        files.DeleteEntry(made.Get());
        return "the folder changed while it was made.";
    }
    error = files.WriteEntry(made.Get(), kept.bytes);
    if (error == kErrorSuccess)
        error = files.SetEntryBasics(made.Get(), {kept.attributes ? kept.attributes : kFileAttributeNormal,
                                                  kept.creationTime, kept.lastAccessTime, kept.lastWriteTime});
    if (error != kErrorSuccess) {
        files.DeleteEntry(made.Get());  // no half-written file stays in its place
        return "it could not be written (error " + std::to_string(error) + ").";
    }
    return std::string();
}

// ---- Tasks ------------------------------------------------------------------

// The definition as text: a task file is UTF-16 with its byte order mark,
// as the scheduler writes it, or UTF-8.
bool DefinitionText(const std::vector<std::uint8_t>& file, std::string& xml) {
    if (file.size() >= 2 && ((file[0] == 0xFF && file[1] == 0xFE) || (file[0] == 0xFE && file[1] == 0xFF))) {
        if (file.size() % 2 != 0) return false;
        const bool little = file[0] == 0xFF;
        std::u16string units;
        for (size_t i = 2; i + 1 < file.size(); i += 2)
            units += static_cast<char16_t>(little ? file[i] | (file[i + 1] << 8) : (file[i] << 8) | file[i + 1]);
        xml = Utf8FromUtf16(units);
        return true;
    }
    const size_t start = file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF ? 3 : 0;
    xml.assign(file.begin() + static_cast<std::ptrdiff_t>(start), file.end());
    return true;
}

std::string RestoreTask(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const KeptTask& kept = *item.record->task;
    std::string xml;
    if (!DefinitionText(kept.file, xml)) return "its definition is no text.";
    const std::string path = TaskPathIn(kept.taskFolder, kept.name);
    if (context.platform.files.GetFileAttributes(NativePath(context.platform, kept.fileFolder + kept.name)) !=
        kInvalidFileAttributes)
        return "a task " + path + " is there now.";
    if (!Journaled(context, item, recorded)) return std::string();
    const long hr = context.platform.tasks.RegisterTask(kept.taskFolder, kept.name, xml);
    if (static_cast<std::uint32_t>(hr) == 0x800700B7u) return "a task " + path + " is there now.";
    return Failed(hr) ? "the Task Scheduler refused (error " + Hresult(hr) + ")." : std::string();
}

std::string RestoreTaskSwitch(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const KeptTask& kept = *item.record->task;
    Platform& platform = context.platform;
    std::vector<std::uint8_t> now;
    if (platform.files.ReadFileBytes(NativePath(platform, kept.fileFolder + kept.name), kMaxTaskFileBytes, now) !=
        kErrorSuccess)
        return "the task is no longer there.";
    std::string problem;
    const bool enabledNow = ReadTaskDefinition(platform, now, problem).enabled;
    if (!problem.empty() || enabledNow != kept.enabledAfter.value_or(!enabledNow))
        return std::string("the task was changed since (it is ") + (enabledNow ? "enabled" : "disabled") + " now).";
    const bool enable = !enabledNow;
    TaskLocation task{kept.fileFolder, kept.taskFolder, kept.name, now, true};
    ChangeListedTask(
        context, task, "put back", RestoreRecord(item),
        [&] { return platform.tasks.SetTaskEnabled(kept.taskFolder, kept.name, enable); },
        [&](const std::vector<std::uint8_t>& after) {
            std::string fault;
            return ReadTaskDefinition(platform, after, fault).enabled == enable && fault.empty();
        });
    return std::string();  // ChangeListedTask told the user whatever was not done
}

// ---- Services ---------------------------------------------------------------

std::string RestoreService(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const KeptService& kept = *item.record->service;
    IServices& services = context.platform.services;
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect | kScManagerCreateService));
    if (!manager) return "the service manager refused.";
    if (ServiceOwner(services, services.OpenService(manager.Get(), kept.name, kServiceQueryConfig)))
        return "a service of that name is there now.";
    if (!Journaled(context, item, recorded)) return std::string();
    long error = kErrorSuccess;
    const ServiceOwner made(services, services.CreateService(manager.Get(), kept.name, kept.config,
                                                             kServiceQueryConfig | kServiceChangeConfig, error));
    if (!made)
        return error == kErrorServiceMarkedForDelete
                   ? "the service is still marked for deletion: Windows removes it once it has stopped and no "
                     "program holds it open (at the latest at the next start of Windows); put it back then."
               : error == kErrorServiceExists ? "a service of that name is there now."
                                              : "the service manager refused (error " + std::to_string(error) + ").";
    std::string unfinished;
    if (kept.description && !services.SetServiceDescription(made.Get(), *kept.description))
        unfinished = "its description";
    IRegistry& registry = context.platform.registry;
    for (const KeptServiceValue& value : kept.values) {
        const std::string path =
            std::string(kServicesKey) + "\\" + kept.name + (value.key.empty() ? "" : "\\" + value.key);
        KeyHandle opened;
        long written = registry.CreateKey(kHkeyLocalMachine, path, kKeySetValue, opened);
        if (written == kErrorSuccess) {
            const KeyOwner key(registry, opened);
            written = registry.SetValue(key.Get(), value.name, value.value.type, value.value.data);
        }
        if (written != kErrorSuccess) unfinished += (unfinished.empty() ? "" : ", ") + value.key + "\\" + value.name;
    }
    return unfinished.empty() ? std::string()
                              : "the service was made again, but not all of it: " + unfinished + " could not be set.";
}

std::string RestoreStartType(ActionContext& context, const JournalItem& item, std::string& recorded) {
    const KeptService& kept = *item.record->service;
    IServices& services = context.platform.services;
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect));
    const ServiceOwner service(
        services, manager ? services.OpenService(manager.Get(), kept.name, kServiceQueryConfig | kServiceChangeConfig)
                          : ServiceHandle{});
    ServiceConfig now;
    if (!service || !services.ReadServiceConfig(service.Get(), now))
        return "the service is not there, or refuses its configuration.";
    if (!kept.startAfter || now.startType != *kept.startAfter)
        return "its start type was changed since (it starts: " + ServiceStartText(now.startType) + " now).";
    if (!Journaled(context, item, recorded)) return std::string();
    return services.ChangeServiceStartType(service.Get(), kept.config.startType)
               ? std::string()
               : "the service manager refused the start type.";
}

std::string PutBack(ActionContext& context, const JournalItem& item, std::string& recorded) {
    switch (item.record->kind) {
        case ChangeKind::DeletedValue:
            return RestoreDeletedValue(context, item, recorded);
        case ChangeKind::RewroteValue:
        case ChangeKind::SwitchedStartup:
            return RestoreRewrittenValue(context, item, recorded);
        case ChangeKind::DeletedFile:
            return RestoreFile(context, item, recorded);
        case ChangeKind::DeletedTask:
            return RestoreTask(context, item, recorded);
        case ChangeKind::SwitchedTask:
            return RestoreTaskSwitch(context, item, recorded);
        case ChangeKind::DeletedService:
            return RestoreService(context, item, recorded);
        case ChangeKind::ChangedService:
            return RestoreStartType(context, item, recorded);
        case ChangeKind::Restored:
            break;
    }
    return "a restore is not put back from here; delete or change the entry again from its tab.";
}

std::string Quoted(const JournalItem& item) { return "\"" + (item.record ? item.record->entry : item.file) + "\""; }

}  // namespace

bool RestoreChange(ActionContext& context, const JournalItem& item) {
    if (!item.record) {
        context.ask.Show({DialogKind::Error, "Error",
                          "The record " + item.file + " cannot be put back: it is damaged (" + item.damage + ")."});
        return false;
    }
    const ChangeRecord& record = *item.record;
    if (record.kind == ChangeKind::Restored) {
        std::string none;
        context.ask.Show(
            {DialogKind::Error, "Error", Quoted(item) + " was not put back: " + PutBack(context, item, none)});
        return false;
    }
    const std::string question = "Put back " + Quoted(item) + " as it was before this change (" +
                                 ChangeKindText(record) + ", " + record.where + ")?";
    if (context.ask.Show({DialogKind::Confirmation, "Confirm", question}) != DialogResult::Yes) return false;
    std::string recorded;
    const std::string refused = PutBack(context, item, recorded);
    if (!refused.empty()) {
        DropRecord(context, recorded);  // nothing was put back
        context.ask.Show({DialogKind::Error, "Error", Quoted(item) + " was not put back: " + refused});
        return false;
    }
    return true;
}

bool ForgetChange(ActionContext& context, const JournalItem& item) {
    const std::string question =
        "Forget the record of " + Quoted(item) + "? The change it holds cannot be put back once the record is gone.";
    if (context.ask.Show({DialogKind::Confirmation, "Confirm", question, true}) != DialogResult::Yes) return false;
    std::string why;
    if (context.journal.Forget(item.file, why)) return true;
    context.ask.Show({DialogKind::Error, "Error", "The record was not forgotten: " + why});
    return false;
}

ChangeCells CellsOf(Platform& platform, const JournalItem& item) {
    if (!item.record) return {"", "Damaged record", item.file, item.damage};
    const ChangeRecord& record = *item.record;
    LocalTime local;
    std::string when;
    if (platform.system.ToLocalTime(record.time, local)) {
        char text[32];
        std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", local.year, local.month, local.day,
                      local.hour, local.minute, local.second);
        when = text;
    }
    return {when, ChangeKindText(record), record.entry, record.where};
}

}  // namespace qm
