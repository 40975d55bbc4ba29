// The change journal: before the program changes anything it writes down
// exactly what was there, one file per change, in a folder only
// Administrators and SYSTEM may write; the change is made only once that
// record is on the disk. A record is put back from there, and goes only
// when the user forgets it.
//
// Records are read as hostile input: a bounded reader, and a record that
// cannot be read is listed as damaged, never left out.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/location.h"
#include "platform/platform.h"

namespace qm {

// What a change did.
enum class ChangeKind {
    DeletedValue,     // a registry value deleted
    RewroteValue,     // one entry removed from a list value, the rest written back
    DeletedFile,      // a startup file deleted
    DeletedTask,      // a task deleted through the Task Scheduler
    DeletedService,   // a service deleted (marked for deletion by the manager)
    ChangedService,   // a service's start type set (disabled, or set back)
    SwitchedStartup,  // the value Explorer keeps of whether an entry starts, written
    SwitchedTask,     // a task enabled or disabled through the Task Scheduler
    Restored,         // a change put back from its record
};

// A registry value where it was, and what it held (none: there was none).
struct KeptValue {
    RegRoot root = RegRoot::CurrentUser;
    RegView view = RegView::Default;
    std::string key{};     // below the root, as the category spells it
    std::string subKey{};  // an installed component's own key below `key`; empty for other entries
    std::string name{};    // exactly as stored, NULs included
    std::optional<RegValue> before{};
    std::optional<RegValue> after{};  // what the change left; none: the value is gone
    // The change made the key: the first of its keys that was not there
    // (below the root), which a restore removes again while it is empty.
    std::string madeKey{};
};

struct KeptFile {
    std::string folder{};  // with its trailing backslash
    std::string name{};
    std::uint32_t attributes = 0;
    std::uint64_t creationTime = 0, lastAccessTime = 0, lastWriteTime = 0;
    std::vector<std::uint8_t> bytes{};
};

struct KeptTask {
    std::string fileFolder{};  // the task file's folder, with its trailing backslash
    std::string taskFolder{};  // "\\" or "\\Sub"
    std::string name{};
    std::vector<std::uint8_t> file{};    // the task's file as it was (its registration)
    std::optional<bool> enabledAfter{};  // a switch: what it left
};

// A value of a service's key that the manager does not hand over.
struct KeptServiceValue {
    std::string key{};  // below the service's key ("" or "Parameters")
    std::string name{};
    RegValue value{};
};

struct KeptService {
    std::string name{};
    ServiceConfig config{};
    std::optional<std::string> description{};
    std::vector<KeptServiceValue> values{};     // ServiceDll, in the service's key and in Parameters
    std::optional<std::uint32_t> startAfter{};  // a start type change: what it left
};

// One record: when, which entry, what was done, and the state before.
struct ChangeRecord {
    static constexpr int kVersion = 1;
    int version = kVersion;
    std::uint64_t time = 0;  // FILETIME, UTC
    ChangeKind kind = ChangeKind::DeletedValue;
    std::string category{};  // the category's id
    std::string entry{};     // the entry's name as the row had it
    std::string where{};     // where it was, as a user reads it
    std::optional<KeptValue> value{};
    // An installed component's key: every value it held (the entry's one included).
    std::vector<std::pair<std::string, RegValue>> keyValues{};
    std::optional<KeptFile> file{};
    std::optional<KeptTask> task{};
    std::optional<KeptService> service{};
    // A restore: the record it put back, and the kind of change that was.
    std::string restoredRecord{};
    std::optional<ChangeKind> restoredKind{};
};

// The name a kind is written as ("deleted-value" ...), and back.
const char* ChangeKindName(ChangeKind kind);
std::optional<ChangeKind> ChangeKindFromName(std::string_view name);
// What a user reads for it ("Deleted", "Disabled the service" ...).
std::string ChangeKindText(const ChangeRecord& record);

// The record as its file holds it (JSON, UTF-8), and back; none when the
// text is no record of a version this program reads, `error` saying why.
std::string EncodeRecord(const ChangeRecord& record);
std::optional<ChangeRecord> DecodeRecord(std::string_view text, std::string& error);

// One file of the journal as listed: its record, or why it is damaged.
struct JournalItem {
    std::string file{};  // its name in the journal's folder
    std::optional<ChangeRecord> record{};
    std::string damage{};  // why it could not be read; empty when it was
};

// The journal's folder: %ProgramData%\Quellmark\Changes.
class Journal {
public:
    explicit Journal(Platform& platform) : platform_(platform) {}

    // The folder, made (Administrators and SYSTEM only) when it is not
    // there; false with `why` when it cannot be made or is not safe to use:
    // another owner, writable by anyone else, a link or under one.
    bool Open(std::string& why);
    // Opens the folder and writes the record, flushed to the disk; false
    // with `why` (nothing is left of a record that could not be written
    // whole). `file` is its name.
    bool Write(const ChangeRecord& record, std::string& file, std::string& why);
    // Every record, newest first; false with `why` when the folder cannot
    // be read (a journal never written is empty, not an error).
    bool List(std::vector<JournalItem>& items, std::string& why, bool create = false);
    // Removes one record (the user's choice); false with `why`.
    bool Forget(const std::string& file, std::string& why);

    std::string FolderPath() const { return folder_; }

    static constexpr std::uint32_t kMaxFileBytes = 64u * 1024u * 1024u;  // a file larger is not deleted
    static constexpr std::uint32_t kMaxRecordBytes = 96u * 1024u * 1024u;
    static constexpr std::size_t kMaxRecords = 100000;

private:
    bool Locate(std::string& why);
    Platform& platform_;
    std::string folder_;  // with its trailing backslash, once located
};

}  // namespace qm
