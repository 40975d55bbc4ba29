// Where an entry lives, as its collector found it: a registry value, a file
// in a folder, or a service. The actions go by it; the texts a row shows are
// only for the user.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/handles.h"
#include "platform/platform.h"

namespace qm {

// The predefined registry root keys, in the order of their handle values.
enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, PerformanceData, CurrentConfig, DynData };

// The registry view a key is read in. A 32-bit program on 64-bit Windows
// sees the 32-bit view unless it asks for the other; today the program
// always reads the view it is given.
enum class RegView { Default, Registry32, Registry64 };

struct RegistryLocation {
    RegRoot root = RegRoot::CurrentUser;
    RegView view = RegView::Default;
    std::string key{};     // below the root, spelled as the category spells it, no leading backslash
    std::string subKey{};  // an installed component's own key below `key`; empty for other entries
    std::string value{};   // the name of the value the entry is
    // The key exists but refused reading: the row stands for the key, and
    // names no value to delete.
    bool refused = false;
};

// The key path below the root where the entry really is: the 32-bit view
// of HKLM\SOFTWARE\X is HKLM\SOFTWARE\WOW6432Node\X.
std::string RealKeyPath(const RegistryLocation& location);

struct FileLocation {
    std::string folder{};  // with its trailing backslash
    std::string name{};
    // Which folder and file were listed: a deletion goes ahead only while
    // the name still leads to these same two.
    FileIdentity folderIdentity{};
    FileIdentity fileIdentity{};
};

struct ServiceLocation {
    std::string name{};
    // The service could not be opened or refused its configuration: the
    // row shows "-" for its path.
    bool refused = false;
};

// One entry of a registry value that may hold a list of them (a DLL of
// AppInit_DLLs, a program of BootExecute), or a value that is one entry
// (a Debugger). A deletion goes ahead only while the value still holds what
// was listed.
struct ListItemLocation {
    RegistryLocation at{};  // the value; `subKey` the program or monitor key it lies in
    // Which entry of the list; -1: the whole value is the entry.
    int item = -1;
    std::string text{};     // the entry as listed, which the confirmation names
    RegValue listed{};      // the value as it was read
    bool removable = true;  // false for a value of a type that holds no entry
};

// A scheduled task: its file below the Tasks folder and its path in the
// Task Scheduler. A deletion goes ahead only while the file holds what was
// listed.
struct TaskLocation {
    std::string folder{};                // the file's folder, with its trailing backslash
    std::string taskFolder{};            // the root folder "\\", or "\\Sub\\Folder" below it
    std::string name{};                  // the task's name, its file's name
    std::vector<std::uint8_t> listed{};  // the file's content as it was read
    bool read = false;                   // false: the file could not be read, and names nothing to delete
};

// A startup folder that is itself a link: the row names where it leads and
// nothing to act on.
struct FolderLinkLocation {
    std::string folder{};  // with its trailing backslash
};

using Location = std::variant<std::monostate, RegistryLocation, FileLocation, ServiceLocation, ListItemLocation,
                              TaskLocation, FolderLinkLocation>;

// The registry value a row lives in, for a row of a key or of a list entry; null otherwise.
inline const RegistryLocation* RegistryOf(const Location& where) {
    if (const auto* at = std::get_if<RegistryLocation>(&where)) return at;
    if (const auto* entry = std::get_if<ListItemLocation>(&where)) return &entry->at;
    return nullptr;
}

// The registry root key names; entry i stands for the predefined key 0x80000000 + i.
inline constexpr std::array<const char*, 7> RootKeyNames{
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

inline const char* RootKeyName(RegRoot root) { return RootKeyNames[static_cast<size_t>(root)]; }
inline KeyHandle RootKeyOf(RegRoot root) { return KeyHandle{0x80000000u + static_cast<std::uintptr_t>(root)}; }

// The predefined root key a name stands for (ASCII case ignored); 0 for any
// other name, short forms such as "HKCU" included.
std::uint32_t RootKeyFromName(const std::string& name);

}  // namespace qm
