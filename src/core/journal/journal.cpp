// The journal's folder and its files. The folder is trusted only while no
// one but Administrators and SYSTEM can change it: a program running as the
// user could otherwise remove a record, or plant one that a restore by the
// elevated program would write anywhere it names.
#include "core/journal/journal.h"
#include "core/model/file_names.h"

#include <algorithm>

#include "platform/file_time.h"
#include "platform/owner.h"

namespace qm {

namespace {

constexpr std::uint32_t kWriteRights = kFileWriteData | kFileAppendData | kFileWriteEa | kFileDeleteChild |
                                       kFileWriteAttributes | kDelete | kWriteDac | kWriteOwner | kGenericAll |
                                       kGenericWrite | kMaximumAllowed;

bool Trusted(Trustee trustee) { return trustee == Trustee::Administrators || trustee == Trustee::LocalSystem; }

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// "20261211-153402-1234567-00.json": sorts by the time it was written.
std::string RecordName(std::uint64_t time, int counter) {
    LocalTime utc;
    if (!CalendarOf(time, utc)) utc = {};
    std::string ticks = std::to_string(time % kFileTimeTicksPerSecond);
    ticks.insert(0, 7 - ticks.size(), '0');
    return std::to_string(utc.year) + Two(utc.month) + Two(utc.day) + "-" + Two(utc.hour) + Two(utc.minute) +
           Two(utc.second) + "-" + ticks + "-" + Two(counter) + ".json";
}

bool IsRecordName(const std::string& name) {
    if (name.size() != 31 || name.compare(26, 5, ".json") != 0) return false;
    for (size_t i = 0; i < 26; ++i) {
        const bool dash = i == 8 || i == 15 || i == 23;
        if (dash ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) return false;
    }
    return true;
}

}  // namespace

std::string ChangeKindText(const ChangeRecord& record) {
    switch (record.kind) {
        case ChangeKind::DeletedValue:
            return "Deleted the value";
        case ChangeKind::RewroteValue:
            return "Removed from the value";
        case ChangeKind::DeletedFile:
            return "Deleted the file";
        case ChangeKind::DeletedTask:
            return "Deleted the task";
        case ChangeKind::DeletedService:
            return "Deleted the service";
        case ChangeKind::ChangedService:
            return record.service && record.service->startAfter == kServiceDisabled ? "Disabled the service"
                                                                                    : "Set the service's start";
        case ChangeKind::SwitchedStartup: {
            const bool disabled = record.value && record.value->after && !record.value->after->data.empty() &&
                                  (record.value->after->data[0] & 1);
            return disabled ? "Disabled at logon" : "Enabled at logon";
        }
        case ChangeKind::SwitchedTask:
            return record.task && record.task->enabledAfter.value_or(false) ? "Enabled the task" : "Disabled the task";
        case ChangeKind::Restored: {
            if (!record.restoredKind || *record.restoredKind == ChangeKind::Restored) return "Restored";
            ChangeRecord original = record;
            original.kind = *record.restoredKind;
            return "Put back: " + ChangeKindText(original);
        }
    }
    return "Changed";
}

bool Journal::Locate(std::string& why) {
    std::string data;
    if (!platform_.shell.GetSpecialFolderPath(kCsidlCommonAppData, false, data) || data.empty()) {
        why = "the ProgramData folder is not known.";
        return false;
    }
    folder_ = WithoutSlash(data) + "\\Quellmark\\Changes\\";
    return true;
}

namespace {

enum class FolderCheck { Safe, Missing, Refused };

// Whether `path` is a folder, no link and not under one, owned by
// Administrators or SYSTEM, and writable by no one else.
FolderCheck CheckFolder(Platform& platform, const std::string& path, std::string& why) {
    IFiles& files = platform.files;
    long error = kErrorSuccess;
    const FileOwner folder(files, files.OpenEntry(path, EntryAccess::Security, error));
    if (!folder) {
        if (error == kErrorFileNotFound || error == kErrorPathNotFound) return FolderCheck::Missing;
        why = path + " cannot be opened (error " + std::to_string(error) + ").";
        return FolderCheck::Refused;
    }
    FileEntryInfo info;
    FinalPath final;
    if (!files.GetEntryInfo(folder.Get(), info) || !(info.attributes & kFileAttributeDirectory)) {
        why = path + " is not a folder.";
        return FolderCheck::Refused;
    }
    if (info.attributes & kFileAttributeReparsePoint) {
        why = path + " is a link.";
        return FolderCheck::Refused;
    }
    if (!files.GetFinalPath(folder.Get(), final) ||
        platform.system.LowerCase(WithoutSlash(final.exact)) != platform.system.LowerCase(path)) {
        why = path + " lies under a link (it leads to " + final.exact + ").";
        return FolderCheck::Refused;
    }
    EntrySecurity security;
    if ((error = files.GetEntrySecurity(folder.Get(), security)) != kErrorSuccess) {
        why = "the security of " + path + " cannot be read (error " + std::to_string(error) + ").";
        return FolderCheck::Refused;
    }
    // Under Wine every program of the prefix runs as one user, who owns
    // every file: there the folder is accepted when it is that owner's
    // alone (the rules below let no one else change it).
    const bool wine = platform.system.IsWine();
    if (!Trusted(security.owner) && !wine) {
        why = path + " is owned by " + security.ownerSid + ", not by Administrators or SYSTEM.";
        return FolderCheck::Refused;
    }
    if (security.nullAcl) {
        why = path + " has no access list: anyone may change it.";
        return FolderCheck::Refused;
    }
    for (const AccessRule& rule : security.rules)
        if (rule.allow && (rule.mask & kWriteRights) && !Trusted(rule.trustee) &&
            rule.trustee != Trustee::CreatorOwner && !(wine && rule.sid == security.ownerSid)) {
            why = path + " lets " + rule.sid + " change it.";
            return FolderCheck::Refused;
        }
    return FolderCheck::Safe;
}

}  // namespace

bool Journal::Open(std::string& why) {
    if (!Locate(why)) return false;
    const std::string changes = WithoutSlash(folder_);
    const std::string parent = changes.substr(0, changes.find_last_of('\\'));
    for (const std::string& path : {parent, changes}) {
        std::string problem;
        FolderCheck check = CheckFolder(platform_, path, problem);
        if (check == FolderCheck::Missing) {
            const long error = platform_.files.CreateProtectedFolder(path);
            if (error != kErrorSuccess && error != kErrorAlreadyExists) {
                why = "the journal's folder " + path + " cannot be made (error " + std::to_string(error) + ").";
                return false;
            }
            check = CheckFolder(platform_, path, problem);
        }
        if (check != FolderCheck::Safe) {
            why = check == FolderCheck::Missing ? "the journal's folder " + path + " cannot be made."
                                                : "the journal's folder is not safe to use: " + problem;
            return false;
        }
    }
    return true;
}

bool Journal::Write(const ChangeRecord& record, std::string& file, std::string& why) {
    if (!Open(why)) return false;
    const std::string text = EncodeRecord(record);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (bytes.size() > kMaxRecordBytes) {
        why = "the record would be larger than the journal takes.";
        return false;
    }
    IFiles& files = platform_.files;
    long error = kErrorFileExists;
    for (int counter = 0; counter < 100 && error == kErrorFileExists; ++counter) {
        file = RecordName(record.time, counter);
        const FileOwner made(files, files.CreateNewFile(folder_ + file, error));
        if (!made) continue;
        error = files.WriteEntry(made.Get(), bytes);
        if (error == kErrorSuccess) return true;
        files.DeleteEntry(made.Get());  // nothing of a record that is not whole stays
        break;
    }
    why = "the record could not be written to " + folder_ + " (error " + std::to_string(error) + ").";
    file.clear();
    return false;
}

bool Journal::List(std::vector<JournalItem>& items, std::string& why, bool create) {
    items.clear();
    if (create) {
        if (!Open(why)) return false;
    } else {
        if (!Locate(why)) return false;
        const std::string changes = WithoutSlash(folder_);
        const std::string parent = changes.substr(0, changes.find_last_of('\\'));
        for (const std::string& path : {parent, changes}) {
            std::string problem;
            const FolderCheck check = CheckFolder(platform_, path, problem);
            if (check == FolderCheck::Missing) return true;  // nothing was ever written
            if (check == FolderCheck::Refused) {
                why = "the journal's folder is not safe to read: " + problem;
                return false;
            }
        }
    }
    std::vector<FolderEntry> entries;
    const long error = platform_.files.ListFolder(WithoutSlash(folder_), kMaxRecords, entries);
    if (error == kErrorMoreData) {
        why = folder_ + " holds more than " + std::to_string(kMaxRecords) + " files.";
        return false;
    }
    if (error != kErrorSuccess) {
        why = folder_ + " cannot be listed (error " + std::to_string(error) + ").";
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name > b.name; });
    for (const FolderEntry& entry : entries) {
        JournalItem item;
        item.file = entry.name;
        if (entry.attributes & kFileAttributeDirectory) {
            item.damage = "a folder, not a record";
        } else if (!IsRecordName(entry.name)) {
            item.damage = "its name is not a record's name";
        } else {
            std::vector<std::uint8_t> bytes;
            const long read = platform_.files.ReadFileBytes(folder_ + entry.name, kMaxRecordBytes, bytes);
            if (read == kErrorFileTooLarge) {
                item.damage = "it is larger than a record may be";
            } else if (read != kErrorSuccess) {
                item.damage = "it cannot be read (error " + std::to_string(read) + ")";
            } else {
                std::string problem;
                item.record =
                    DecodeRecord(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), problem);
                if (!item.record) item.damage = problem;
            }
        }
        items.push_back(std::move(item));
    }
    return true;
}

bool Journal::Forget(const std::string& file, std::string& why) {
    if (!IsPlainFileName(file)) {
        why = "\"" + file + "\" names no file of the journal.";
        return false;
    }
    if (!Open(why)) return false;
    const long error = platform_.files.DeleteFile(folder_ + file);
    if (error != kErrorSuccess) {
        why = "\"" + file + "\" could not be removed (error " + std::to_string(error) + ").";
        return false;
    }
    return true;
}

}  // namespace qm
