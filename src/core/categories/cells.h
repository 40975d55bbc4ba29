// How each column's cell is made from an entry. A category's column table
// (core/categories/table.h) names one of these per column; the window and
// the report both call it.
#pragma once
#include <string>

#include "core/categories/category.h"

namespace qm::cells {

std::string Name(const Category& category, const Entry& entry);
std::string Command(const Category& category, const Entry& entry);
std::string Nothing(const Category& category, const Entry& entry);
// A registry entry's root key name, full key name (as the category spells
// it), and key path below the root where it really is in its view.
std::string RootName(const Category& category, const Entry& entry);
std::string KeyName(const Category& category, const Entry& entry);
std::string KeyPath(const Category& category, const Entry& entry);
std::string ValueName(const Category& category, const Entry& entry);
// What the startup folders' rows show as their location, and the folder.
std::string WindowsAutoRun(const Category& category, const Entry& entry);
std::string Folder(const Category& category, const Entry& entry);
std::string ComponentId(const Category& category, const Entry& entry);
std::string HookKind(const Category& category, const Entry& entry);
std::string ServiceDisplayName(const Category& category, const Entry& entry);
std::string ServiceType(const Category& category, const Entry& entry);
std::string ServiceStart(const Category& category, const Entry& entry);
std::string ServiceState(const Category& category, const Entry& entry);
std::string ServiceCommandLine(const Category& category, const Entry& entry);
std::string TaskActions(const Category& category, const Entry& entry);
std::string TaskTriggers(const Category& category, const Entry& entry);
std::string TaskEnabled(const Category& category, const Entry& entry);
std::string TaskFile(const Category& category, const Entry& entry);

}  // namespace qm::cells
