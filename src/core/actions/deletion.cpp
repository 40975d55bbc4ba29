// "&Delete Items..." of every list: one routine over what each category's
// row says its entries are.

#include "core/actions/action_steps.h"
#include "core/actions/actions.h"
#include "core/actions/change_states.h"
#include "core/collectors/scheduled_tasks.h"
#include "core/model/file_names.h"
#include "platform/owner.h"
#include "platform/text_case.h"

namespace qm {

namespace {

// Opens the key that holds the row's value. A component's key is opened
// below the components key, never by its full path: with a name of 255
// characters that path is longer than Wine's RegOpenKeyExA takes.
// `access` is what the entry's own key is opened for; the components key
// above it is only passed through. The key is opened in the view the row
// was read in.
bool OpenEntryKey(Registry& reg, const RegistryLocation& at, std::uint32_t access) {
    reg.SetView(at.view);
    const bool opened = reg.OpenKey("\\" + at.key, false, at.subKey.empty() ? access : kKeyQueryValue) &&
                        (at.subKey.empty() || reg.OpenKey(at.subKey, false, access));
    reg.SetView(RegView::Default);
    if (opened) return true;
    reg.CloseKey();  // the components key itself holds no entry
    return false;
}

// Deletes the file the row names, if it is still the file that was listed
// there. The file is opened as itself (a link is not followed), found to be
// the same file (volume and file ID) in the same folder, which is still the
// folder that was listed and no link, and deleted through the handle that
// was checked, so nothing can be put in its place in between. Returns why
// nothing was deleted, or empty; `gone` when there was no such file left.
// The file's bytes, attributes and times are recorded, from that same
// handle, before it goes.
std::string DeleteListedFile(ActionContext& context, const std::string& category, const FileLocation& at,
                             const std::string& name, bool& gone) {
    Platform& platform = context.platform;
    IFiles& files = platform.files;
    const std::string quoted = "\"" + name + "\" was not deleted: ";
    if (!IsPlainFileName(name)) return quoted + "its name is not a plain file name.";
    long error = kErrorSuccess;
    const std::string folderPath = WithoutSlash(at.folder);
    const FileOwner folder(files, files.OpenEntry(folderPath, EntryAccess::Attributes, error));
    FileEntryInfo folderInfo;
    FinalPath folderFinal;
    if (!folder || !files.GetEntryInfo(folder.Get(), folderInfo) || !files.GetFinalPath(folder.Get(), folderFinal) ||
        (folderInfo.attributes & kFileAttributeReparsePoint) || !(folderInfo.attributes & kFileAttributeDirectory) ||
        !(folderInfo.identity == at.folderIdentity))
        return quoted + "the folder " + folderPath +
               " is no longer the folder that was listed (it was moved, replaced or made a link).";
    const FileOwner file(files, files.OpenEntry(at.folder + name, EntryAccess::Deletion, error));
    if (!file) {
        gone = error == kErrorFileNotFound || error == kErrorPathNotFound;
        return gone ? std::string() : quoted + "it could not be opened (error " + std::to_string(error) + ").";
    }
    FileEntryInfo fileInfo;
    FinalPath fileFinal;
    if (!files.GetEntryInfo(file.Get(), fileInfo) || !files.GetFinalPath(file.Get(), fileFinal) ||
        (fileInfo.attributes & (kFileAttributeReparsePoint | kFileAttributeDirectory)) ||
        !(fileInfo.identity == at.fileIdentity))
        return quoted + "it is no longer the file that was listed (it was replaced, renamed or made a link).";
    if (platform.system.LowerCase(ParentOf(fileFinal.exact)) != platform.system.LowerCase(folderFinal.exact))
        return quoted + "it now lies outside " + folderPath + " (at " + fileFinal.exact + ").";
    KeptFile kept{
        at.folder, name, fileInfo.attributes, fileInfo.creationTime, fileInfo.lastAccessTime, fileInfo.lastWriteTime,
        {}};
    if (fileInfo.size > Journal::kMaxFileBytes)
        return quoted + "it is larger than " + std::to_string(Journal::kMaxFileBytes / (1024 * 1024)) +
               " MiB, more than the journal keeps, so it could not be put back.";
    if (const long read = files.ReadEntryBytes(file.Get(), Journal::kMaxFileBytes, kept.bytes); read != kErrorSuccess)
        return quoted + (read == kErrorFileTooLarge
                             ? "it grew larger than the journal keeps."
                             : "its content could not be read to be kept (error " + std::to_string(read) + ").");
    ChangeRecord record{.kind = ChangeKind::DeletedFile, .category = category, .entry = name, .where = at.folder};
    record.file = std::move(kept);
    std::string recorded;
    if (!RecordChange(context, record, name, "deleted", &recorded)) return std::string();
    // A file that refuses (read-only, in use) keeps its row; the list shows it.
    if (files.DeleteEntry(file.Get()) != kErrorSuccess) {
        DropRecord(context, recorded);
        return std::string();
    }
    gone = true;
    return std::string();
}

// The file is named and deleted from the same, selected, row: its folder
// and the name its caption shows, and only while that is the file listed.
// The row goes only when the file is known to be gone: deleted now, or not
// found. Any other failure keeps it; a change since the listing is also said.
Outcome DeleteFileEntry(ActionContext& context, const Category& category, const Entry& row) {
    const auto* at = std::get_if<FileLocation>(&row.where);
    if (!at) return Outcome::NothingDone;
    const FileLocation listed = *at;
    const std::string name = row.name;
    if (!ConfirmDeletion(context.ask, name)) return Outcome::NothingDone;
    bool gone = false;
    const std::string refused = DeleteListedFile(context, category.id, listed, name, gone);
    if (!refused.empty()) {
        context.ask.Show({DialogKind::Error, "Error", refused});
        return Outcome::NothingDone;
    }
    return gone ? Outcome::EntryGone : Outcome::NothingDone;
}

// The value at the row's key: the one its caption names, which the user may
// have edited in place, or exactly the one it was read from.
Outcome DeleteRegistryEntry(ActionContext& context, const Category& category, const Entry& row, Removal removal) {
    const auto* where = std::get_if<RegistryLocation>(&row.where);
    if (!where || where->refused) return Outcome::NothingDone;  // a key that refused reading names no value
    const RegistryLocation at = *where;
    Registry& reg = context.registry;
    // A collector that failed may have left its key open; every path here is
    // taken from the root.
    reg.CloseKey();
    reg.SetRootKey(RootKeyOf(at.root));
    const std::string value = removal == Removal::CaptionedValue ? row.name : at.value;
    // The key is opened for reading before asking: a key that cannot be
    // opened asks nothing. The right to change it is asked for only once the
    // user said yes.
    if (!OpenEntryKey(reg, at, kKeyQueryValue)) return Outcome::NothingDone;
    reg.CloseKey();
    if (!ConfirmDeletion(context.ask, row.name)) return Outcome::NothingDone;
    // Whether the value could be deleted shows in the list read again.
    reg.SetRootKey(RootKeyOf(at.root));
    if (OpenEntryKey(reg, at, kKeyQueryValue | kKeySetValue)) {
        // What is there now is what the journal keeps; a value gone
        // meanwhile leaves nothing to delete.
        ChangeRecord record{
            .kind = ChangeKind::DeletedValue, .category = category.id, .entry = row.name, .where = WhereText(at)};
        record.value = KeptValueAt(at, value);
        RegValue now;
        if (reg.ReadValue(value, now) == kErrorSuccess) {
            record.value->before = std::move(now);
            if (!at.subKey.empty()) {
                std::vector<std::string> names;
                reg.GetValueNames(names);
                for (const std::string& other : names)
                    if (RegValue kept; reg.ReadValue(other, kept) == kErrorSuccess)
                        record.keyValues.emplace_back(other, std::move(kept));
            }
            std::string recorded;
            if (RecordChange(context, record, row.name, "deleted", &recorded) && !reg.DeleteValue(value))
                DropRecord(context, recorded);
        }
    }
    reg.CloseKey();
    return Outcome::PlaceReread;
}

// Exactly the entry the row's location names, of the value as it was
// listed. After "&Yes" the value is read again through the key opened for
// the change: a value that another program changed while the question was
// open is left alone, and the user told so. Otherwise the entry alone goes,
// the rest of the value written back as it was (type, order, separators),
// or the value when it is the entry.
Outcome DeleteListItem(ActionContext& context, const Category& category, const Entry& row) {
    const auto* where = std::get_if<ListItemLocation>(&row.where);
    if (!where || !where->removable || where->at.refused) return Outcome::NothingDone;  // names no entry
    const ListItemLocation entry = *where;
    Registry& reg = context.registry;
    reg.CloseKey();
    reg.SetRootKey(RootKeyOf(entry.at.root));
    if (!OpenEntryKey(reg, entry.at, kKeyQueryValue)) return Outcome::NothingDone;
    reg.CloseKey();
    if (!ConfirmDeletion(context.ask, entry.text)) return Outcome::NothingDone;
    reg.SetRootKey(RootKeyOf(entry.at.root));
    if (!OpenEntryKey(reg, entry.at, kKeyQueryValue | kKeySetValue)) return Outcome::PlaceReread;
    RegValue now;
    const long error = reg.ReadValue(entry.at.value, now);
    if (error != kErrorSuccess || now.type != entry.listed.type || now.data != entry.listed.data) {
        reg.CloseKey();
        context.ask.Show(
            {DialogKind::Error, "Error",
             "\"" + entry.text + "\" was not deleted: the value " + entry.at.value + " changed since it was listed."});
        return Outcome::PlaceReread;
    }
    ChangeRecord record{.kind = entry.item < 0 ? ChangeKind::DeletedValue : ChangeKind::RewroteValue,
                        .category = category.id,
                        .entry = entry.text,
                        .where = WhereText(entry.at)};
    record.value = KeptValueAt(entry.at, entry.at.value);
    record.value->before = now;
    if (entry.item >= 0)
        record.value->after = RegValue{now.type, WithoutEntry(now.type, now.data, static_cast<size_t>(entry.item))};
    if (std::string recorded; RecordChange(context, record, entry.text, "deleted", &recorded)) {
        const bool changed = record.value->after ? reg.WriteValue(entry.at.value, *record.value->after)
                                                 : reg.DeleteValue(entry.at.value);
        if (!changed) DropRecord(context, recorded);
    }
    reg.CloseKey();
    return Outcome::PlaceReread;
}

// The row's task, through the Task Scheduler (deleting only its file would
// leave the scheduler's own record of it). After "&Yes" the file is read
// again: a task that another program rewrote while the question was open is
// not the task the user confirmed, and is left alone.
Outcome DeleteTaskEntry(ActionContext& context, const Category& category, const Entry& row) {
    const auto* where = std::get_if<TaskLocation>(&row.where);
    if (!where || !where->read) return Outcome::NothingDone;  // a file that could not be read names nothing confirmed
    const TaskLocation task = *where;
    if (!ConfirmDeletion(context.ask, TaskPathIn(task.taskFolder, task.name))) return Outcome::NothingDone;
    ChangeRecord record{.kind = ChangeKind::DeletedTask,
                        .category = category.id,
                        .entry = TaskPathIn(task.taskFolder, task.name),
                        .where = task.folder + task.name};
    ChangeListedTask(context, task, "deleted", record,
                     [&] { return context.platform.tasks.DeleteTask(task.taskFolder, task.name); });
    return Outcome::PlaceReread;
}

}  // namespace

Outcome DeleteEntry(ActionContext& context, const Category& category, const Entry* selected) {
    const Removal removal = category.removal;
    if (!selected) {
        // The registry lists have always said so; the others end quietly.
        if (removal == Removal::CaptionedValue || removal == Removal::LocatedValue || removal == Removal::ListItem)
            context.ask.Show({DialogKind::Error, "Error", "No item selected for deletion!!!"});
        return Outcome::NothingDone;
    }
    switch (removal) {
        case Removal::CaptionedValue:
        case Removal::LocatedValue:
            return DeleteRegistryEntry(context, category, *selected, removal);
        case Removal::File:
            return DeleteFileEntry(context, category, *selected);
        case Removal::Service:
            return DeleteService(context, category, *selected);
        case Removal::ListItem:
            return DeleteListItem(context, category, *selected);
        case Removal::Task:
            return DeleteTaskEntry(context, category, *selected);
    }
    return Outcome::NothingDone;
}

}  // namespace qm
