// Where an entry lives, as its collector found it: a registry value, a file
// in a folder, or a service. The actions go by it; the texts a row shows are
// only for the user.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <variant>

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

// The key path below the root where the entry really is: the 32-bit view
// of HKLM\SOFTWARE\X is HKLM\SOFTWARE\WOW6432Node\X.
std::string RealKeyPath(const RegistryLocation& location);

// None for a row that no collector made.
using Location = std::variant<std::monostate, RegistryLocation, FileLocation, ServiceLocation>;

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
