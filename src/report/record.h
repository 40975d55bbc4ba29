// One entry of the report: what the window's row shows, where the entry
// lives, and what the program finds about the file it starts. The report
// reads every category of the table with the window's own collectors, in tab
// order and row order, without a window and without icons.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/categories/category.h"
#include "core/collectors/collector.h"
#include "core/model/native_path.h"
#include "platform/platform.h"

namespace qm::report {

// Where an entry lives, by kind: "registry" (root, view, key below the
// root as it really is in its view, the sub-key the entry lies in (an
// installed component's own key, a program's key of Image File Execution
// Options, a print monitor's key), the value, and for one entry of a value
// that holds a list of them, that entry), "file" (folder, file), "service"
// (service), "task" (the task's path in the Task Scheduler, the folder and
// file that define it), or "none" for a record that stands for a failure no
// row came with.
struct EntryLocation {
    std::string type = "none";
    std::string root, view, key, component, value, item;
    std::string folder, file;
    std::string service;
    std::string task;
};

struct Record {
    std::string category;  // the category's stable identifier, its id in the table ("hkcu-run")
    std::string tab;       // the tab's caption without its count ("HKCU / Run")
    std::string name;
    std::string command;
    std::vector<std::string> columns;  // every cell of the row, one per column of its list
    std::string locationText;          // where the entry lives, as Item Properties shows it
    EntryLocation location;
    std::string target;  // the program the command starts, as the program derives it
    // None: not looked at (no target, a bare name, a network or device path).
    std::optional<bool> targetExists;
    std::string company, description, version;
    std::string mark;   // "No Autorun Entry", "Suspect Malware", what is unusual about a startup state, or empty
    std::string error;  // why the location could not be read; empty when it could
    // Whether Windows starts the entry, as Explorer keeps it for the Run
    // keys and the Startup folders; none where it keeps no such state, or
    // keeps one no rule reads. When it was disabled: ISO 8601 in UTC, or empty.
    std::optional<bool> enabled;
    std::string disabledAt;
};

// "2026-12-01T13:05:00Z" for a FILETIME; empty for one no calendar holds.
std::string Iso8601Utc(std::uint64_t fileTime);

// A text as the screen shows it: each NUL inside a name as U+2400.
std::string ShownText(const std::string& text);

// The registry view's name in the report: "default", "32" or "64".
const char* ViewName(RegView view);

// The tab's caption without the count the window appends: "HKCU / Run",
// "Startup (common)".
std::string TabCaptionOf(const Category& category);

class ExistenceCache;

// What a report keeps to look at its targets: where each file really is,
// and which are known to be absent.
struct TargetFinder {
    NativePaths& native;
    ExistenceCache& existence;
};

// The record of one row of the category.
Record RecordOf(Platform& platform, TargetFinder& finder, const Category& category, const Entry& row);

// Reads every category in tab order and hands over each record as soon as
// its row has been read; when a collector fails, the row it failed in (or
// a record of its own) carries the failure's message, and the next
// category is read. True when every location could be read.
bool CollectRecords(Platform& platform, std::span<const Category> categories,
                    const std::function<void(Record&&)>& sink);

}  // namespace qm::report
