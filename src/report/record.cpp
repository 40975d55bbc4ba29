#include "report/record.h"

#include <cstdio>

#include "core/categories/row_marks.h"
#include "core/collectors/scheduled_tasks.h"
#include "core/inspect/file_version.h"
#include "core/inspect/properties.h"
#include "core/model/native_path.h"
#include "core/model/text.h"
#include "core/registry.h"
#include "platform/file_time.h"
#include "report/existence.h"
#include "report/fields.h"
#include "report/formats.h"

namespace qm::report {

namespace {

constexpr const char* kShownNul = "\xE2\x90\x80";  // U+2400, SYMBOL FOR NULL

EntryLocation LocationOf(const Location& where) {
    EntryLocation out;
    if (const auto* at = std::get_if<RegistryLocation>(&where)) {
        out.type = "registry";
        out.root = RootKeyName(at->root);
        out.view = ViewName(at->view);
        out.key = RealKeyPath(*at);
        out.component = at->subKey;
        out.value = at->value;
    } else if (const auto* entry = std::get_if<ListItemLocation>(&where)) {
        out = LocationOf(entry->at);
        if (entry->item >= 0) out.item = entry->text;
    } else if (const auto* task = std::get_if<TaskLocation>(&where)) {
        out.type = "task";
        out.task = TaskPathIn(task->taskFolder, task->name);
        out.folder = task->folder;
        out.file = task->name;
    } else if (const auto* file = std::get_if<FileLocation>(&where)) {
        out.type = "file";
        out.folder = file->folder;
        out.file = file->name;
    } else if (const auto* service = std::get_if<ServiceLocation>(&where)) {
        out.type = "service";
        out.service = service->name;
    }
    return out;
}

// A full local path: a drive letter, a colon and a separator.
bool IsFullLocalPath(const std::string& path) {
    return path.size() >= 3 && ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z')) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// What the program finds about the row's target: whether it is there and,
// for a file that is, the details Item Properties shows. Only a full local
// path is looked at: a bare name is found by a search that is no business
// of this program's current folder, and a network or device path is never
// opened.
// A file the row names itself (a driver) is inspected whatever its kind.
void InspectTarget(Platform& platform, TargetFinder& finder, Record& record, bool programsOnly) {
    if (!IsFullLocalPath(record.target)) return;
    NativePaths& native = finder.native;
    const bool exists = finder.existence.Exists(native(record.target));
    record.targetExists = exists;
    if (!exists) return;
    FileVersionInfo info;
    ReadFileVersionStrings(native, platform, record.target, info, programsOnly);
    record.company = info.CompanyName;
    record.description = info.FileDescription;
    record.version = info.FileVersion;
}

// Each complete row becomes a record the moment it is read.
class RecordSink : public IRowSink {
public:
    RecordSink(Platform& platform, TargetFinder& finder, const Category& category,
               const std::function<void(Record&&)>& sink)
        : platform_(platform), finder_(finder), category_(category), sink_(sink) {}
    void RowDone(Entry&& row) override { sink_(RecordOf(platform_, finder_, category_, row)); }

private:
    Platform& platform_;
    TargetFinder& finder_;
    const Category& category_;
    const std::function<void(Record&&)>& sink_;
};

}  // namespace

std::string TabCaptionOf(const Category& category) {
    std::string caption = category.countPrefix;
    const auto trim = [&](const char* what) {
        while (!caption.empty() && std::string(what).find(caption.back()) != std::string::npos) caption.pop_back();
    };
    trim(" (");
    trim(" -");
    return caption;
}

std::string Iso8601Utc(std::uint64_t fileTime) {
    LocalTime at;
    if (!CalendarOf(fileTime, at)) return {};
    char text[64];  // room for any int the compiler cannot rule out
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02dZ", at.year, at.month, at.day, at.hour, at.minute,
                  at.second);
    return text;
}

Record RecordOf(Platform& platform, TargetFinder& finder, const Category& category, const Entry& row) {
    Record record;
    record.category = category.id;
    record.tab = TabCaptionOf(category);
    record.name = ShownText(row.name);
    record.command = ShownText(row.command);
    for (size_t column = 0; column < category.columns.size(); ++column)
        record.columns.push_back(ShownText(CellText(category, row, column)));
    record.locationText = ShownText(LocationTextOf(category, row));
    record.location = LocationOf(row.where);
    record.mark = MarkText(row.mark);
    record.error = ShownText(row.problem);
    if (row.startup) {
        const StartupState& state = *row.startup;
        if (state.kind != StartupState::Kind::Unknown) record.enabled = state.kind != StartupState::Kind::Disabled;
        if (state.kind == StartupState::Kind::Disabled && state.disabledAt != 0)
            record.disabledAt = Iso8601Utc(state.disabledAt);
        if (record.mark.empty()) record.mark = UnusualStartupValueText(state);
    }
    // A place without a value, a value that is not text and a location that
    // cannot be read start nothing.
    if (row.problem.empty() && row.mark != Mark::NoAutorunEntry && !row.valueType) {
        record.target = TargetFileOf(platform.system, category, row.command);
        InspectTarget(platform, finder, record, !category.commandIsFile);
    }
    MakeValidUtf8(record);
    return record;
}

std::string ShownText(const std::string& text) {
    if (text.find('\0') == std::string::npos) return text;
    std::string shown;
    for (char c : text) {
        if (c == '\0') shown += kShownNul;
        else shown += c;
    }
    return shown;
}

const char* ViewName(RegView view) {
    switch (view) {
        case RegView::Registry32:
            return "32";
        case RegView::Registry64:
            return "64";
        case RegView::Default:
            break;
    }
    return "default";
}

bool CollectRecords(Platform& platform, std::span<const Category> categories,
                    const std::function<void(Record&&)>& sink) {
    // One accessor for the value lists, as the window shares one; no icons.
    Registry registry(platform.registry);
    // Only the rows are printed: each value is read in one call where it can be.
    registry.ReadInOneCall(true);
    NativePaths native(platform);
    ExistenceCache existence(platform.files, native);
    TargetFinder finder{native, existence};
    bool complete = true;
    const std::function<void(Record &&)> counted = [&](Record&& record) {
        complete = complete && record.error.empty();
        sink(std::move(record));
    };
    for (const Category& category : categories) {
        RecordSink rows(platform, finder, category, counted);
        ScanContext context{platform, registry, nullptr, &rows};
        ScanResult result = Collect(category, context);
        if (!result.failure) continue;
        Record failed = result.unfinished ? RecordOf(platform, finder, category, *result.unfinished) : Record{};
        failed.category = category.id;
        failed.tab = TabCaptionOf(category);
        failed.error = ValidUtf8(ShownText(*result.failure));
        failed.target.clear();
        failed.targetExists.reset();
        counted(std::move(failed));
    }
    return complete;
}

}  // namespace qm::report
