// What one autostart category is: every fact of one tab, as one row of the
// category table (core/categories/table.h). The collectors, the actions, the
// properties dialog, the refresh and the windows all read that row.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/model/hook_list.h"
#include "core/model/location.h"
#include "platform/platform.h"

namespace qm {

struct Entry;
struct Category;

// One column of a category's list: its caption and width, and how its cell
// is made from an entry. The window's cells and the report's columns are
// both made by it.
using CellOf = std::string (*)(const Category& category, const Entry& entry);
struct Column {
    const char* caption;  // empty for a hidden column
    int width;            // 0 for a hidden column
    CellOf cell;
};

// ---- Where the entries come from: one kind of collector and what it reads --

// Every value of one key is an entry (ScanValueList), read through the
// shared registry accessor.
struct ValueList {
    RegRoot root;
    const char* key;
    // The full key name the rows show, where its letter case differs from
    // the root's name and `key`; null: the two joined by a backslash.
    const char* keyName = nullptr;
    // Set: every row shows this file type's icon instead of its target's.
    const char* iconName = "";
    // 64-bit Windows keeps a 32-bit view of this key apart (see ViewsOf).
    bool redirected = false;
};

// One fixed value of the key: a row whether it holds anything or not.
struct NamedValue {
    const char* valueName;  // as it is read
    const char* caption;    // as the row names it
};
struct NamedValues {  // ScanNamedValue, once per value, each with an accessor of its own
    RegRoot root;
    const char* key;
    std::span<const NamedValue> values;
    const char* targetMarker;  // where the target path of the value's command ends
    bool redirected = false;   // see ValueList::redirected
};

// Every file of a shell special folder, in the order the search gives them
// (ScanStartupFolder).
struct StartupFolder {
    int csidl;
};

// The running services that have a process of their own (ScanServices).
struct RunningServices {};

// The subkeys of a key that carry a logon command (ScanInstalledComponents).
struct InstalledComponents {
    RegRoot root;
    const char* key;
    bool redirected = false;  // see ValueList::redirected
};

// One place where the system loads a program or DLL into its own start or
// into other programs (ScanSystemHooks): a value of a key, or of each of
// its sub-keys.
struct HookPlace {
    const char* kind;  // what the row's Kind column names it
    RegRoot root;
    const char* key;
    const char* value;
    bool perSubKey;   // the value is read in every sub-key of `key` (a program, a print monitor)
    bool list;        // the value holds a list of entries, each a row; else the value is one entry
    HookFile file;    // how an entry names its file
    bool redirected;  // see ValueList::redirected
    // A DWORD value of the key that must be 1 for the entries to be loaded;
    // otherwise their rows are marked as not loaded.
    const char* enabledBy = nullptr;
};
struct SystemHooks {
    std::span<const HookPlace> places;
};

// Every service and driver the system starts by itself: start type boot,
// system or automatic, whatever its state (ScanAutoStartServices).
struct AutoStartServices {};

// Every task of the Task Scheduler, read from its XML file below the Tasks
// folder, in every task folder (ScanScheduledTasks).
struct ScheduledTasks {};

using Source = std::variant<ValueList, NamedValues, StartupFolder, RunningServices, InstalledComponents,
                            AutoStartServices, SystemHooks, ScheduledTasks>;

// ---- What the popup menu does with a row -----------------------------------

enum class Removal {
    CaptionedValue,  // the registry value at the row's key that its caption names (the caption may be edited)
    LocatedValue,    // exactly the registry value the row's location names, whatever the caption
    File,            // the file named by the caption in the row's folder
    Service,         // the row's service, its deletion reported a while later
    ListItem,        // exactly the entry the row's location names, the rest of its value left as it was
    Task,            // the row's task, through the Task Scheduler
};

enum class JumpTarget {
    RegistryKey,    // the Registry Editor walked to the row's key
    Folder,         // the row's folder in the shell
    ProgramFolder,  // the folder of the program the row's command starts
};

// What "Parameters:" (location) of the Item Properties dialog shows.
enum class ShownLocation {
    KeyName,      // the row's full key name
    Folder,       // the row's folder
    Description,  // the service's display name
};

struct PropertiesView {
    const char* menuCaption;  // "&Properties" or "&Properties..."
    bool commasBeforeCut;     // commas go before the command's target path is cut
    ShownLocation location;
};

// Where Explorer keeps whether Windows starts the entries of a category: a
// value of each entry's name (a Run value's, a startup file's) in the key
// <root>\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\<key>,
// which is read and written in the native registry view; the entries of a
// redirected key's 32-bit view keep theirs in `key32`.
struct StartupApprovalPlace {
    RegRoot root;
    const char* key;
    const char* key32 = nullptr;
};

// Lists that other tabs' shows empty, by group.
enum ListGroup : unsigned {
    kNoGroup = 0,
    kGroupLists = 1,             // the eight lists of the first tabs
    kComponentsAndWinlogon = 2,  // the ActiveX and WinLogon lists
};

struct Category {
    // The names the first design gave this tab's pieces (page, list, popup
    // menu and its handlers, collectors), for readers who know them.
    const char* trace;
    // The category's identifier in the report: stable, readable, never shown.
    const char* id;
    const char* designCaption;  // the tab caption until the first count caption is written
    const char* countPrefix;    // the count caption: prefix, row count, ")"
    int tabImage;
    int scanPosition;  // when the start-up scan reads this tab, 0 first
    std::span<const Column> columns;
    Source source;
    bool imageListsAtStart;  // the start-up scan attaches the system image lists at its end
    bool imageListsPerRow;   // ... and the collector's every row does
    unsigned group;          // the ListGroup this list belongs to
    unsigned showClears;     // the ListGroups this tab's show empties besides its own list
    Removal removal;
    bool canDisable;  // the menu offers "&Disable Items..."
    // "&Disable Items..." asks first, naming the service, its start type and
    // what it does, and warns of a service Windows may not start without.
    bool disableAsks = false;
    JumpTarget jump;
    PropertiesView properties;
    // The entry's command is the file itself, already resolved, rather than
    // a command line whose program ends at ".exe".
    bool commandIsFile = false;
    // Where Explorer keeps whether Windows starts the entries; null: nowhere.
    const StartupApprovalPlace* approval = nullptr;
};

// Whether the category's entries can be disabled and enabled again as
// Windows keeps it: the Run keys and Startup folders (Explorer's
// StartupApproved values) and the scheduled tasks (the Task Scheduler).
inline bool HasStartupSwitch(const Category& category) {
    return category.approval != nullptr || std::holds_alternative<ScheduledTasks>(category.source);
}

// The text of a cell of the entry's row; empty past the category's columns.
std::string CellText(const Category& category, const Entry& entry, size_t column);

// The file a row's command names, as Properties, Jump To and the Item
// Properties dialog inspect it.
std::string TargetFileOf(ISystemInfo& system, const Category& category, const std::string& command);

// The full key name of a registry entry of `source`, as its rows, the
// Properties dialog and Jump To show it: the root's name and the key path
// (and a component's own key), or the source's own spelling of them.
std::string KeyNameOf(const Source& source, const RegistryLocation& location);

// The registry views a key of `root` is read in, in list order. On 64-bit
// Windows every HKLM key is read in the 64-bit view, whatever the program's
// own bitness; a `redirected` key (one that is not shared by the two views)
// is read in the 32-bit view after it.
std::vector<RegView> ViewsOf(Platform& platform, RegRoot root, bool redirected);

}  // namespace qm
