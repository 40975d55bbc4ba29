// Deleting an entry from a row: a registry value or a startup-folder file.
// DeleteItemsClick itself is declared with the other menu actions.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qm {

// The registry root key names; entry i stands for the predefined key 0x80000000 + i.
inline constexpr std::array<const char*, 7> RootKeyNames{
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",     "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

// The predefined root key a name stands for (ASCII case ignored); 0 for any
// other name, short forms such as "HKCU" included.
std::uint32_t RootKeyFromName(const std::string& name);

}  // namespace qm
