#include "core/categories/cells.h"

#include "core/model/rows.h"

namespace qm::cells {

std::string Name(const Category&, const Entry& entry) { return entry.name; }
std::string Command(const Category&, const Entry& entry) { return entry.command; }
std::string Nothing(const Category&, const Entry&) { return {}; }

std::string RootName(const Category&, const Entry& entry) {
    const RegistryLocation* at = RegistryOf(entry.where);
    return at ? RootKeyName(at->root) : std::string();
}

std::string KeyName(const Category& category, const Entry& entry) {
    const RegistryLocation* at = RegistryOf(entry.where);
    return at ? KeyNameOf(category.source, *at) : std::string();
}

std::string KeyPath(const Category&, const Entry& entry) {
    const RegistryLocation* at = RegistryOf(entry.where);
    return at ? "\\" + RealKeyPath(*at) : std::string();
}

std::string ValueName(const Category&, const Entry& entry) {
    const RegistryLocation* at = RegistryOf(entry.where);
    return at ? at->value : std::string();
}

std::string WindowsAutoRun(const Category&, const Entry&) { return "Windows AutoRun"; }

std::string Folder(const Category&, const Entry& entry) {
    if (const auto* file = std::get_if<FileLocation>(&entry.where)) return file->folder;
    if (const auto* link = std::get_if<FolderLinkLocation>(&entry.where)) return link->folder;
    if (const auto* task = std::get_if<TaskLocation>(&entry.where)) return task->folder;
    return {};
}

std::string ComponentId(const Category&, const Entry& entry) { return entry.componentId; }
std::string HookKind(const Category&, const Entry& entry) { return entry.hookKind; }
std::string ServiceDisplayName(const Category&, const Entry& entry) { return entry.service.displayName; }
std::string ServiceType(const Category&, const Entry& entry) { return entry.service.type; }
std::string ServiceStart(const Category&, const Entry& entry) { return entry.service.start; }
std::string ServiceState(const Category&, const Entry& entry) { return entry.service.state; }
std::string ServiceCommandLine(const Category&, const Entry& entry) { return entry.service.commandLine; }
std::string TaskActions(const Category&, const Entry& entry) { return entry.task.actions; }
std::string TaskTriggers(const Category&, const Entry& entry) { return entry.task.triggers; }

std::string TaskEnabled(const Category&, const Entry& entry) {
    if (!entry.task.enabled) return {};
    return *entry.task.enabled ? "yes" : "no";
}

std::string TaskFile(const Category&, const Entry& entry) {
    const auto* task = std::get_if<TaskLocation>(&entry.where);
    return task ? task->folder + task->name : std::string();
}

}  // namespace qm::cells
